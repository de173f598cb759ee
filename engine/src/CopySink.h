#pragma once
// One destination of a copy in flight, shared by the copier's sequential and parallel writes.
#include "stowline/DestinationFailure.h"
#include "stowline/FileOps.h"

#include <exception>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <system_error>
#include <vector>

namespace stowline {

/// The open temporary file of one destination and the paths it belongs to. Until it is
/// committed, a sink owns its temporary file: abandoning or destroying it closes the handle and
/// deletes the file, so no way out of the copier leaves a handle open or a partial file behind.
/// A sink is used by one thread at a time.
class CopySink {
public:
    CopySink(FileOps& ops, std::filesystem::path destination, std::filesystem::path temporary, UniqueFd fd);
    CopySink(CopySink&& other) noexcept;
    CopySink& operator=(CopySink&&) = delete;
    ~CopySink() { abandon(); }

    /// Creates the destination's folder and its temporary file; on failure records it in
    /// `failures` and returns none. `source` identifies the file being read, so that a leftover
    /// temporary name that is the source itself is never replaced.
    [[nodiscard]] static std::optional<CopySink> prepare(FileOps& ops,
                                                         const std::filesystem::path& destination,
                                                         const std::optional<FileStatus>& source,
                                                         std::vector<DestinationFailure>& failures);

    [[nodiscard]] bool live() const noexcept { return ownsTemporary_; }
    [[nodiscard]] const std::filesystem::path& destination() const noexcept { return destination_; }

    /// Writes the whole chunk; on failure the sink is abandoned and the failure returned.
    [[nodiscard]] std::optional<DestinationFailure> write(std::span<const std::byte> chunk);
    /// Closes the temporary file and, with `rename`, renames it over the final name; without,
    /// the complete temporary file passes to the caller. A failed close counts: on Linux it may
    /// be the only report of a delayed write error, so such a file is never given its final name.
    [[nodiscard]] std::optional<DestinationFailure> commit(bool rename = true);
    [[nodiscard]] const std::filesystem::path& temporary() const noexcept { return temporary_; }
    /// Closes the handle and deletes the temporary file, ignoring errors.
    void abandon() noexcept;

private:
    /// Runs one step; any failure, returned or thrown, abandons the sink.
    template <class Step> std::optional<DestinationFailure> guarded(Step&& step);
    /// Writes the aligned front of `chunk` around the page cache when the file system takes
    /// it; returns what is left for an ordinary write, or the error of a direct write.
    std::span<const std::byte> writeDirect(std::span<const std::byte> chunk, std::error_code& error);

    /// Direct writes: not tried yet, in use, or given up for this file (refused, or the file's
    /// unaligned end has been reached).
    enum class Direct { untried, on, off };

    FileOps* ops_;
    std::filesystem::path destination_;
    std::filesystem::path temporary_;
    UniqueFd fd_;
    bool ownsTemporary_;
    Direct direct_ = Direct::untried;
};

/// "\"path\"", as error messages show paths.
[[nodiscard]] std::string quoted(const std::filesystem::path& path);

} // namespace stowline
