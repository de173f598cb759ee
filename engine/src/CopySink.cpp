#include "CopySink.h"

#include "stowline/ChunkPool.h"
#include "stowline/FileCopier.h"

#include <cerrno>
#include <cstdint>
#include <utility>

namespace stowline {
namespace {

/// A full disk, however the error arrived. A quota (EDQUOT) is not: freeing room on the
/// drive would not help, so the engine must not treat it as a disk to wait for.
bool isOutOfSpace(const std::error_code& error) {
    return error == std::errc::no_space_on_device;
}

/// The system error behind an exception a file operation threw, however it was wrapped.
std::error_code codeOf(const std::exception& error) {
    if (const auto* system = dynamic_cast<const std::system_error*>(&error)) {
        return system->code();
    }
    const auto* nested = dynamic_cast<const std::nested_exception*>(&error);
    if (nested == nullptr || !nested->nested_ptr()) {
        return {};
    }
    try {
        std::rethrow_exception(nested->nested_ptr());
    } catch (const std::exception& inner) {
        return codeOf(inner);
    } catch (...) {
        return {};
    }
}

int errnoOf(const std::error_code& error) {
    return error.category() == std::system_category() || error.category() == std::generic_category()
               ? error.value()
               : 0;
}

DestinationFailure failure(const std::filesystem::path& destination, FailureStep step,
                           const std::filesystem::path& subject, const std::string& operation,
                           const std::error_code& error) {
    return {destination, operation + ": " + error.message(), isOutOfSpace(error),
            FailureCause{step, errnoOf(error), subject.string()}};
}

/// For an exception thrown by a file operation itself (a wrapped or nested system error).
DestinationFailure failure(const std::filesystem::path& destination, FailureStep step,
                           const std::filesystem::path& subject, const std::exception& error) {
    const std::error_code code = codeOf(error);
    return {destination, error.what(), isOutOfSpace(code),
            FailureCause{step, errnoOf(code), subject.string()}};
}

} // namespace

std::string quoted(const std::filesystem::path& path) {
    return "\"" + path.string() + "\"";
}

CopySink::CopySink(FileOps& ops, std::filesystem::path destination, std::filesystem::path temporary,
                   UniqueFd fd)
    : ops_(&ops), destination_(std::move(destination)), temporary_(std::move(temporary)), fd_(std::move(fd)),
      ownsTemporary_(true) {}

CopySink::CopySink(CopySink&& other) noexcept
    : ops_(other.ops_), destination_(std::move(other.destination_)), temporary_(std::move(other.temporary_)),
      fd_(std::move(other.fd_)), ownsTemporary_(std::exchange(other.ownsTemporary_, false)),
      direct_(other.direct_) {}

std::optional<CopySink> CopySink::prepare(FileOps& ops, const std::filesystem::path& destination,
                                          const std::optional<FileStatus>& source,
                                          std::vector<DestinationFailure>& failures) {
    const auto temporary = FileCopier::temporaryPath(destination);
    try {
        const auto folder = destination.parent_path();
        if (!folder.empty()) {
            if (const auto error = ops.createDirectories(folder)) {
                failures.push_back(failure(destination, FailureStep::createFolder, folder,
                                           "Could not create the folder " + quoted(folder), error));
                return std::nullopt;
            }
        }
        std::error_code error;
        UniqueFd fd = ops.createForWriting(temporary, error);
        // Only a leftover of an earlier run is looked at, so a fresh copy costs no extra call.
        if (!fd && error == std::errc::file_exists) {
            if (const auto leftover = ops.status(temporary, error)) {
                if (source && leftover->device == source->device && leftover->inode == source->inode) {
                    failures.push_back(failure(destination, FailureStep::createCopy, temporary,
                                               "Could not open " + quoted(temporary) + " for writing",
                                               std::error_code(EEXIST, std::system_category())));
                    return std::nullopt;
                }
            }
            // A leftover is deleted rather than truncated: truncating would also empty any other
            // name hard-linked to it.
            (void)ops.unlink(temporary);
            fd = ops.createForWriting(temporary, error);
        }
        if (!fd) {
            failures.push_back(failure(destination, FailureStep::createCopy, temporary,
                                       "Could not open " + quoted(temporary) + " for writing", error));
            return std::nullopt;
        }
        return CopySink(ops, destination, temporary, std::move(fd));
    } catch (const std::exception& error) {
        failures.push_back(failure(destination, FailureStep::createCopy, temporary, error));
        return std::nullopt;
    }
}

template <class Step> std::optional<DestinationFailure> CopySink::guarded(Step&& step) {
    std::optional<DestinationFailure> result;
    try {
        result = step();
    } catch (const std::exception& error) {
        result = failure(destination_, FailureStep::writeCopy, temporary_, error);
    } catch (...) {
        // Whatever a file operation throws, the destination is lost, never the copy.
        result = DestinationFailure{destination_, "Could not write " + quoted(temporary_), false,
                                    FailureCause{FailureStep::writeCopy, 0, temporary_.string()}};
    }
    if (result) {
        abandon();
    }
    return result;
}

std::span<const std::byte> CopySink::writeDirect(std::span<const std::byte> chunk, std::error_code& error) {
    constexpr std::size_t alignment = FileOps::directAlignment;
    const bool alignedAddress = reinterpret_cast<std::uintptr_t>(chunk.data()) % alignment == 0;
    const std::size_t aligned = alignedAddress ? chunk.size() / alignment * alignment : 0;
    if (direct_ == Direct::untried) {
        // Only files of a full chunk or more: a direct write that extends a small file costs a
        // journaled file system a commit of its own, far more than the copy it saves.
        direct_ =
            chunk.size() < ChunkPool::bufferSize || aligned == 0 || ops_->setDirectWrites(fd_.get(), true)
                ? Direct::off
                : Direct::on;
    }
    auto front = chunk.first(direct_ == Direct::on ? aligned : 0);
    while (!front.empty()) {
        const std::int64_t n = ops_->write(fd_.get(), front, error);
        if (n < 0 && error == std::errc::interrupted) {
            continue;
        }
        if (n < 0 && error == std::errc::invalid_argument) {
            break; // refused after all (or a short write left an unaligned offset): write it the ordinary way
        }
        if (n <= 0) {
            if (n == 0) {
                error = std::error_code(EIO, std::system_category());
            }
            return chunk;
        }
        front = front.subspan(static_cast<std::size_t>(n));
        chunk = chunk.subspan(static_cast<std::size_t>(n));
    }
    error.clear();
    if (direct_ == Direct::on && !chunk.empty()) {
        // The file's unaligned end, or a refusal: the rest goes through the cache.
        direct_ = Direct::off;
        error = ops_->setDirectWrites(fd_.get(), false);
    }
    return chunk;
}

std::optional<DestinationFailure> CopySink::write(std::span<const std::byte> chunk) {
    return guarded([&]() -> std::optional<DestinationFailure> {
        // Around the cache where possible: the kernel's copy into the cache and the read-back's
        // wait for write-back both go, and the read-back still reads the device.
        std::error_code directError;
        if (direct_ != Direct::off) {
            chunk = writeDirect(chunk, directError);
        }
        if (directError) {
            return failure(destination_, FailureStep::writeCopy, temporary_,
                           "Could not write " + quoted(temporary_), directError);
        }
        if (const auto error = ops_->writeAll(fd_.get(), chunk)) {
            return failure(destination_, FailureStep::writeCopy, temporary_,
                           "Could not write " + quoted(temporary_), error);
        }
        return std::nullopt;
    });
}

std::optional<DestinationFailure> CopySink::commit(bool rename) {
    return guarded([&]() -> std::optional<DestinationFailure> {
        if (!rename) {
            ops_->startWriteBack(fd_.get()); // it waits to be read back: let the disk start now
        }
        const auto closeError = ops_->close(std::move(fd_));
        // EINTR from close says nothing about the data: the descriptor is released either way.
        if (closeError && closeError != std::errc::interrupted) {
            return failure(destination_, FailureStep::finishCopy, temporary_,
                           "Could not finish writing " + quoted(temporary_), closeError);
        }
        if (const auto error = rename ? ops_->rename(temporary_, destination_) : std::error_code()) {
            return failure(destination_, FailureStep::nameCopy, destination_,
                           "Could not move " + quoted(temporary_) + " to its final name", error);
        }
        ownsTemporary_ = false;
        return std::nullopt;
    });
}

void CopySink::abandon() noexcept {
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

} // namespace stowline
