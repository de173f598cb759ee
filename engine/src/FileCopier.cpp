#include "stowline/FileCopier.h"

#include "stowline/CopyError.h"
#include "stowline/FileOps.h"
#include "stowline/XXHash64.h"

#include <cerrno>
#include <exception>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <system_error>
#include <utility>

namespace stowline {
namespace {

/// A full disk, however the error arrived. A quota (EDQUOT) is not: freeing room on the
/// drive would not help, so the engine must not treat it as a disk to wait for.
bool isOutOfSpace(const std::error_code& error) {
    return error == std::errc::no_space_on_device;
}

bool isOutOfSpace(const std::exception& error) {
    if (const auto* system = dynamic_cast<const std::system_error*>(&error);
        system && isOutOfSpace(system->code())) {
        return true;
    }
    const auto* nested = dynamic_cast<const std::nested_exception*>(&error);
    if (nested == nullptr || !nested->nested_ptr()) {
        return false;
    }
    try {
        std::rethrow_exception(nested->nested_ptr());
    } catch (const std::exception& inner) {
        return isOutOfSpace(inner);
    } catch (...) {
        return false;
    }
}

std::string quoted(const std::filesystem::path& path) {
    return "\"" + path.string() + "\"";
}

DestinationFailure failure(const std::filesystem::path& destination, const std::string& operation,
                           const std::error_code& error) {
    return {destination, operation + ": " + error.message(), isOutOfSpace(error)};
}

/// For an exception thrown by a file operation itself (a wrapped or nested system error).
DestinationFailure failure(const std::filesystem::path& destination, const std::exception& error) {
    return {destination, error.what(), isOutOfSpace(error)};
}

/// One destination in flight: the open temporary file and the paths it belongs to. Until it is
/// committed, a sink owns its temporary file: abandoning or destroying it closes the handle and
/// deletes the file, so no way out of the copier leaves a handle open or a partial file behind.
class Sink {
public:
    Sink(FileOps& ops, std::filesystem::path destination, std::filesystem::path temporary, UniqueFd fd)
        : ops_(&ops), destination_(std::move(destination)), temporary_(std::move(temporary)),
          fd_(std::move(fd)), ownsTemporary_(true) {}
    Sink(Sink&& other) noexcept
        : ops_(other.ops_), destination_(std::move(other.destination_)),
          temporary_(std::move(other.temporary_)), fd_(std::move(other.fd_)),
          ownsTemporary_(std::exchange(other.ownsTemporary_, false)) {}
    Sink& operator=(Sink&&) = delete;
    ~Sink() { abandon(); }

    [[nodiscard]] bool live() const noexcept { return ownsTemporary_; }
    [[nodiscard]] const std::filesystem::path& destination() const noexcept { return destination_; }

    /// Writes the whole chunk; on failure the sink is abandoned and the failure returned.
    [[nodiscard]] std::optional<DestinationFailure> write(std::span<const std::byte> chunk) {
        return guarded([&]() -> std::optional<DestinationFailure> {
            if (const auto error = ops_->writeAll(fd_.get(), chunk)) {
                return failure(destination_, "Could not write " + quoted(temporary_), error);
            }
            return std::nullopt;
        });
    }

    /// Closes the temporary file and renames it over the final name. A failed close counts:
    /// on Linux it may be the only report of a delayed write error, so such a file is never
    /// given its final name.
    [[nodiscard]] std::optional<DestinationFailure> commit() {
        return guarded([&]() -> std::optional<DestinationFailure> {
            const auto closeError = ops_->close(std::move(fd_));
            // EINTR from close says nothing about the data: the descriptor is released either way.
            if (closeError && closeError != std::errc::interrupted) {
                return failure(destination_, "Could not finish writing " + quoted(temporary_), closeError);
            }
            if (const auto error = ops_->rename(temporary_, destination_)) {
                return failure(destination_, "Could not move " + quoted(temporary_) + " to its final name",
                               error);
            }
            ownsTemporary_ = false;
            return std::nullopt;
        });
    }

    /// Closes the handle and deletes the temporary file, ignoring errors.
    void abandon() noexcept {
        if (fd_) {
            try {
                (void)ops_->close(std::move(fd_));
            } catch (...) {
                fd_.reset();
            }
        }
        if (std::exchange(ownsTemporary_, false)) {
            try {
                (void)ops_->unlink(temporary_);
            } catch (...) {
            }
        }
    }

private:
    /// Runs one step; any failure, returned or thrown, abandons the sink.
    template <class Step> std::optional<DestinationFailure> guarded(Step&& step) {
        std::optional<DestinationFailure> result;
        try {
            result = step();
        } catch (const std::exception& error) {
            result = failure(destination_, error);
        }
        if (result) {
            abandon();
        }
        return result;
    }

    FileOps* ops_;
    std::filesystem::path destination_;
    std::filesystem::path temporary_;
    UniqueFd fd_;
    bool ownsTemporary_;
};

/// Creates the destination's folder and its temporary file. `source` identifies the file
/// being read, so that a leftover temporary name that is the source itself is never replaced.
std::optional<Sink> prepare(FileOps& ops, const std::filesystem::path& destination,
                            const std::optional<FileStatus>& source,
                            std::vector<DestinationFailure>& failures) {
    const auto temporary = FileCopier::temporaryPath(destination);
    try {
        const auto folder = destination.parent_path();
        if (!folder.empty()) {
            if (const auto error = ops.createDirectories(folder)) {
                failures.push_back(
                    failure(destination, "Could not create the folder " + quoted(folder), error));
                return std::nullopt;
            }
        }
        std::error_code error;
        if (const auto leftover = ops.status(temporary, error)) {
            if (source && leftover->device == source->device && leftover->inode == source->inode) {
                failures.push_back(failure(destination,
                                           "Could not open " + quoted(temporary) + " for writing",
                                           std::error_code(EEXIST, std::system_category())));
                return std::nullopt;
            }
            // A leftover is deleted rather than truncated: truncating would also empty any other
            // name hard-linked to it.
            (void)ops.unlink(temporary);
        }
        UniqueFd fd = ops.createForWriting(temporary, error);
        if (!fd) {
            failures.push_back(
                failure(destination, "Could not open " + quoted(temporary) + " for writing", error));
            return std::nullopt;
        }
        return Sink(ops, destination, temporary, std::move(fd));
    } catch (const std::exception& error) {
        failures.push_back(failure(destination, error));
        return std::nullopt;
    }
}

/// Writes one chunk to every live sink in order; a sink that fails is dropped and recorded
/// while the others still get the chunk. Returns the number of sinks still live.
std::size_t writeToAll(std::vector<Sink>& sinks, std::span<const std::byte> chunk,
                       std::vector<DestinationFailure>& failures) {
    std::size_t live = 0;
    for (auto& sink : sinks) {
        if (!sink.live()) {
            continue;
        }
        if (auto failed = sink.write(chunk)) {
            failures.push_back(std::move(*failed));
        } else {
            ++live;
        }
    }
    return live;
}

/// Gives the modification time of the source to each copy. Linux cannot set a birth time;
/// errors are ignored, as a date is not worth failing a verified copy for.
void stampDates(FileOps& ops, int source, const std::vector<std::filesystem::path>& copies) noexcept {
    try {
        std::error_code error;
        const auto dates = ops.dates(source, error);
        if (!dates) {
            return;
        }
        for (const auto& copy : copies) {
            (void)ops.setModificationTime(copy, dates->modificationTime);
        }
    } catch (...) {
    }
}

} // namespace

std::filesystem::path FileCopier::temporaryPath(const std::filesystem::path& destination) {
    auto temporary = destination;
    temporary += ".stowline-partial";
    return temporary;
}

CopyResult FileCopier::copy(const std::filesystem::path& source,
                            const std::vector<std::filesystem::path>& destinations,
                            const std::function<void(std::int64_t)>& onChunk, FileOps* fileOps) {
    FileOps& ops = fileOps != nullptr ? *fileOps : FileOps::system();

    std::error_code error;
    UniqueFd input = ops.openForReading(source, error);
    if (!input) {
        throw CopyError::sourceUnreadable(source.string());
    }
    const auto sourceStatus = ops.status(input.get(), error);

    CopyResult result;
    // Declared after `input` so that on every throw the temporary files go before the source closes.
    std::vector<Sink> sinks;
    sinks.reserve(destinations.size());
    for (const auto& destination : destinations) {
        if (auto sink = prepare(ops, destination, sourceStatus, result.failures)) {
            sinks.push_back(std::move(*sink));
        }
    }
    if (sinks.empty()) {
        throw CopyError::allDestinationsFailed(result.failures);
    }

    // One buffer for the whole file: memory stays at one chunk whatever the size.
    const auto buffer = std::make_unique_for_overwrite<std::byte[]>(static_cast<std::size_t>(chunkSize));
    const std::span<std::byte> whole(buffer.get(), static_cast<std::size_t>(chunkSize));
    XXHash64 hasher(0);
    for (;;) {
        const std::int64_t count = ops.readUpTo(input.get(), whole, error);
        if (count < 0) {
            throw std::system_error(error, "Could not read " + quoted(source));
        }
        if (count == 0) {
            break;
        }
        const auto chunk = whole.first(static_cast<std::size_t>(count));
        hasher.update(chunk);
        if (writeToAll(sinks, chunk, result.failures) == 0) {
            throw CopyError::allDestinationsFailed(result.failures);
        }
        result.bytesCopied += count;
        if (onChunk) {
            onChunk(count);
        }
    }

    for (auto& sink : sinks) {
        if (!sink.live()) {
            continue;
        }
        if (auto failed = sink.commit()) {
            result.failures.push_back(std::move(*failed));
        } else {
            result.succeeded.push_back(sink.destination());
        }
    }
    if (result.succeeded.empty()) {
        throw CopyError::allDestinationsFailed(result.failures);
    }
    stampDates(ops, input.get(), result.succeeded);
    result.sourceHash = hasher.finalize();
    return result;
}

} // namespace stowline
