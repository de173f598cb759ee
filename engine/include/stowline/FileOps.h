#pragma once
#include "stowline/UniqueFd.h"

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <filesystem>
#include <optional>
#include <span>
#include <system_error>

namespace stowline {

/// What stat says about a path (symbolic links not followed).
struct FileStatus {
    enum class Type { regular, directory, symlink, other };
    Type type = Type::other;
    std::int64_t size = 0;
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::timespec modificationTime{};
    std::timespec changeTime{}; ///< moves on with every write and every change of the file's attributes
};

/// The file-system operations the copier (and the engine's existence checks) perform, one
/// virtual per system call so that tests can inject ENOSPC, EIO, EINTR and short transfers.
/// Every failure comes back as a std::error_code holding an errno value of the system
/// category; nothing throws except where noted. Implementations must be safe to call from
/// several threads at once (the system's are: they hold no state).
class FileOps {
public:
    virtual ~FileOps() = default;

    /// The process-wide instance that calls the system directly. Lives for the whole process.
    [[nodiscard]] static FileOps& system();

    /// open(O_RDONLY|O_CLOEXEC|O_NONBLOCK|O_NOCTTY) of a regular file: a FIFO or device put in
    /// its place cannot block the caller, and is refused (EINVAL). Invalid descriptor and
    /// `error` set on failure.
    [[nodiscard]] virtual UniqueFd openForReading(const std::filesystem::path& path,
                                                  std::error_code& error) = 0;
    /// One read(2): bytes read (0 at end of file, possibly fewer than asked), or -1 with `error`
    /// set, EINTR included. Use readUpTo() to fill a buffer.
    [[nodiscard]] virtual std::int64_t read(int fd, std::span<std::byte> buffer, std::error_code& error) = 0;
    /// mkdir -p: creates the folder and its missing parents; an existing folder is success.
    [[nodiscard]] virtual std::error_code createDirectories(const std::filesystem::path& folder) = 0;
    /// open(O_WRONLY|O_CREAT|O_EXCL|O_CLOEXEC|O_NOFOLLOW, 0644): a new, empty file open for
    /// writing. Anything already at `path`, a symbolic link included, is refused (EEXIST).
    [[nodiscard]] virtual UniqueFd createForWriting(const std::filesystem::path& path,
                                                    std::error_code& error) = 0;
    /// One write(2): bytes written (possibly fewer than given), or -1 with `error` set, EINTR
    /// included. Use writeAll() to write a whole buffer.
    [[nodiscard]] virtual std::int64_t write(int fd, std::span<const std::byte> data,
                                             std::error_code& error) = 0;
    /// close(2), whose error may be a delayed write error (EIO, ENOSPC on network file
    /// systems). The descriptor is released in every case and must not be closed again.
    [[nodiscard]] virtual std::error_code close(UniqueFd fd) = 0;
    /// lstat(2); none with `error` set when the path cannot be examined (ENOENT when absent).
    [[nodiscard]] virtual std::optional<FileStatus> status(const std::filesystem::path& path,
                                                           std::error_code& error) = 0;
    /// fstat(2) of an open descriptor.
    [[nodiscard]] virtual std::optional<FileStatus> status(int fd, std::error_code& error) = 0;
    /// rename(2): atomically replaces a file at `to`; the old file stays whole until then.
    [[nodiscard]] virtual std::error_code rename(const std::filesystem::path& from,
                                                 const std::filesystem::path& to) = 0;
    /// unlink(2) of a file (never a folder).
    [[nodiscard]] virtual std::error_code unlink(const std::filesystem::path& path) = 0;
    /// syncfs(2) of the file system holding the open folder `fd`: everything written to it is
    /// on its device when this returns without error. An error (EIO, ENOSPC) means some of it
    /// may not be.
    [[nodiscard]] virtual std::error_code syncFileSystem(int fd) = 0;
    /// utimensat(2) setting only the modification time (access time left alone) of `path`
    /// itself, not of a symbolic link's target.
    [[nodiscard]] virtual std::error_code setModificationTime(const std::filesystem::path& path,
                                                              const std::timespec& time) = 0;
    /// Turns O_DIRECT on or off for an open file: writes then go straight to the device from
    /// buffers, offsets and sizes aligned to directAlignment. An error (ENOTSUP by default, EINVAL
    /// where the file system refuses it) leaves the file as it was: buffered writes still work.
    [[nodiscard]] virtual std::error_code setDirectWrites(int fd, bool on);

    // The reading back of copies around the page cache, and the reading ahead of sources. Each
    // defaults to the system's, like the report writer's below.

    /// open(O_RDONLY|O_CLOEXEC|O_NONBLOCK|O_NOCTTY), with O_DIRECT when `direct`: a FIFO or
    /// device in a file's place cannot block the caller. EINVAL when the file system refuses
    /// O_DIRECT. Reads then go through read().
    [[nodiscard]] virtual UniqueFd openForReadBack(const std::filesystem::path& path, bool direct,
                                                   std::error_code& error);
    /// posix_fadvise(POSIX_FADV_DONTNEED) of `length` bytes from `offset` (0: to the end):
    /// the clean cached pages there are dropped, so the next read comes from the device.
    virtual std::error_code dropCachedPages(int fd, std::int64_t offset, std::int64_t length);
    /// Asks the kernel to start reading the file at `path` into the cache, without waiting
    /// (posix_fadvise WILLNEED); never blocks on a FIFO put in its place. A hint.
    virtual void prefetch(const std::filesystem::path& path);
    /// Starts writing the file's dirty pages to the device without waiting
    /// (sync_file_range SYNC_FILE_RANGE_WRITE): a copy about to be read back, and its twins on
    /// the other destinations, start reaching the disk together instead of each waiting for the
    /// read that forces it out. A hint: a write-back error still shows in the read-back.
    virtual void startWriteBack(int fd);
    /// The alignment of address, offset and size that direct writes keep to: the page size,
    /// which covers every logical block size in use.
    static constexpr std::size_t directAlignment = 4096;

    // The operations the report writer needs. Each defaults to the system's, so that a fake
    // made for the copier behaves like the disk here unless it overrides them.

    /// open(O_WRONLY|O_CREAT|O_EXCL|O_CLOEXEC, 0666): a new empty file, never someone else's
    /// (EEXIST when the name exists).
    [[nodiscard]] virtual UniqueFd createNew(const std::filesystem::path& path, std::error_code& error);
    /// fsync(2) of an open file: its bytes are on the device when this returns without error.
    [[nodiscard]] virtual std::error_code syncFile(int fd);
    /// open(O_RDONLY|O_DIRECTORY|O_CLOEXEC) of a folder, to sync its entries.
    [[nodiscard]] virtual UniqueFd openFolder(const std::filesystem::path& path, std::error_code& error);
    /// link(2): a second name `to` for the file at `from`; EEXIST when `to` exists.
    [[nodiscard]] virtual std::error_code link(const std::filesystem::path& from,
                                               const std::filesystem::path& to);
    /// renameat2(RENAME_NOREPLACE): EEXIST when `to` exists, which is never replaced.
    [[nodiscard]] virtual std::error_code renameNoReplace(const std::filesystem::path& from,
                                                          const std::filesystem::path& to);

    /// stat(2): what is at `path`, a symbolic link followed (the root watch's look at a
    /// drive, which may be reached through a link). Defaults to the system's.
    [[nodiscard]] virtual std::optional<FileStatus> statusFollowingLinks(const std::filesystem::path& path,
                                                                         std::error_code& error);

    /// True when lstat finds something at `path`.
    [[nodiscard]] bool exists(const std::filesystem::path& path);
    /// Reads until `buffer` is full or the file ends, retrying EINTR and short reads. Returns the
    /// bytes read (fewer than the buffer's size only at end of file), or -1 with `error` set.
    [[nodiscard]] std::int64_t readUpTo(int fd, std::span<std::byte> buffer, std::error_code& error);
    /// Writes every byte of `data`, retrying EINTR and short writes; the error of the first
    /// write that fails otherwise. A write that makes no progress counts as EIO.
    [[nodiscard]] std::error_code writeAll(int fd, std::span<const std::byte> data);

protected:
    FileOps() = default;
    FileOps(const FileOps&) = default;
    FileOps& operator=(const FileOps&) = default;
};

} // namespace stowline
