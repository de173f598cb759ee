#include "CopySink.h"

#include "stowline/FileCopier.h"

#include <cerrno>
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
      fd_(std::move(other.fd_)), ownsTemporary_(std::exchange(other.ownsTemporary_, false)) {}

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
        if (const auto leftover = ops.status(temporary, error)) {
            if (source && leftover->device == source->device && leftover->inode == source->inode) {
                failures.push_back(failure(destination, FailureStep::createCopy, temporary,
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

std::optional<DestinationFailure> CopySink::write(std::span<const std::byte> chunk) {
    return guarded([&]() -> std::optional<DestinationFailure> {
        if (const auto error = ops_->writeAll(fd_.get(), chunk)) {
            return failure(destination_, FailureStep::writeCopy, temporary_,
                           "Could not write " + quoted(temporary_), error);
        }
        return std::nullopt;
    });
}

std::optional<DestinationFailure> CopySink::commit(bool rename) {
    return guarded([&]() -> std::optional<DestinationFailure> {
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
