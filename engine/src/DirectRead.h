#pragma once
// Reading a file front to back around the page cache, as Linux allows it: O_DIRECT where
// the file system takes it, else flushing and dropping the file's cached pages around
// ordinary reads.
#include "stowline/UniqueFd.h"

#include <cstddef>
#include <filesystem>
#include <memory>
#include <string>

#include <sys/types.h>

namespace stowline {

class FileOps;

/// One read pass over one file. Not copyable; the descriptor is closed on destruction.
class DirectRead {
public:
    /// Opens `path` read-only; with `tryDirect`, O_DIRECT when the file system accepts it.
    /// Throws CopyError::sourceUnreadable(path) when the file cannot be opened or flushed, or
    /// is not a regular file (a FIFO is never waited for). Opens and reads through `ops`
    /// (the system's when null), which outlives this.
    DirectRead(const std::filesystem::path& path, bool tryDirect, FileOps* ops = nullptr);

    /// Alignment (a power of two) that a buffer's address and size need for read().
    [[nodiscard]] std::size_t alignment() const { return alignment_; }
    /// True while reads bypass the cache by O_DIRECT rather than by dropping pages.
    [[nodiscard]] bool direct() const { return direct_; }
    /// The file's size when it was opened (it may change while being read).
    [[nodiscard]] off_t sizeAtOpen() const { return sizeAtOpen_; }

    /// Reads the next bytes into `buffer` (aligned, `capacity` a multiple of alignment());
    /// returns how many, 0 at the end. EINTR is retried. Throws CopyError::sourceUnreadable.
    [[nodiscard]] std::size_t read(std::byte* buffer, std::size_t capacity);

private:
    void open(const std::filesystem::path& path, bool tryDirect);
    /// Leaves O_DIRECT: writes back the file's dirty pages, then drops all of them.
    void switchToDroppingCache();

    /// The file's size now; 0 when it cannot be told.
    [[nodiscard]] off_t currentSize();

    FileOps& ops_;
    UniqueFd fd_;
    std::string path_;
    bool direct_ = false;
    std::size_t alignment_ = 4096;
    off_t offset_ = 0; ///< bytes read so far, the position of the next read
    off_t sizeAtOpen_ = 0;
    bool ended_ = false; ///< a direct read reached the end of the file
};

/// A zero-initialised byte buffer whose address is a multiple of `alignment`.
class AlignedBuffer {
public:
    AlignedBuffer(std::size_t size, std::size_t alignment);
    [[nodiscard]] std::byte* data() const { return bytes_.get(); }
    [[nodiscard]] std::size_t size() const { return size_; }

private:
    struct Free {
        void operator()(std::byte* p) const;
    };
    std::unique_ptr<std::byte, Free> bytes_;
    std::size_t size_;
};

} // namespace stowline
