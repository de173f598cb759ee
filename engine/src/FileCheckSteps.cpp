#include "FileCheckSteps.h"

#include "DirectRead.h"
#include "stowline/CopyError.h"

#include <algorithm>

namespace stowline::FileCheckSteps {

void decide(CheckedFile& checked, DriveCheckStatus status, std::string detail, DriveCheckFault fault,
            int errorNumber) {
    checked.status = status;
    checked.detail = std::move(detail);
    checked.fault = fault;
    checked.errorNumber = errorNumber;
}

bool readAround(CheckedFile& checked, const DriveCheckOptions& options,
                const std::function<void(std::span<const std::byte>)>& piece) {
    try {
        DirectRead file(checked.target, options.cacheBypass == Verifier::CacheBypass::automatic);
        const auto chunk = static_cast<std::size_t>(std::max<std::int64_t>(options.chunkSize, 1));
        const std::size_t capacity = (chunk + file.alignment() - 1) / file.alignment() * file.alignment();
        const AlignedBuffer buffer(capacity, file.alignment());
        while (const std::size_t count = file.read(buffer.data(), capacity)) {
            piece(std::span<const std::byte>(buffer.data(), count));
        }
    } catch (const CopyError& failure) {
        if (failure.is<CopyError::Cancelled>()) {
            throw;
        }
        const auto* unreadable = failure.get<CopyError::SourceUnreadable>();
        decide(checked, DriveCheckStatus::unreadable, "a read failed", DriveCheckFault::readFailed,
               unreadable ? unreadable->errorNumber : 0);
        return false;
    }
    return true;
}

} // namespace stowline::FileCheckSteps
