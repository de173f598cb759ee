#include "stowline/FailureCause.h"

#include <array>
#include <cerrno>
#include <utility>

namespace stowline {

std::string_view toText(FailureStep step) {
    switch (step) {
    case FailureStep::readSource:
        return "readSource";
    case FailureStep::createFolder:
        return "createFolder";
    case FailureStep::createCopy:
        return "createCopy";
    case FailureStep::writeCopy:
        return "writeCopy";
    case FailureStep::finishCopy:
        return "finishCopy";
    case FailureStep::nameCopy:
        return "nameCopy";
    case FailureStep::nameTooLong:
        return "nameTooLong";
    case FailureStep::nameTaken:
        return "nameTaken";
    case FailureStep::sourceChanged:
        return "sourceChanged";
    case FailureStep::sourceNotRegular:
        return "sourceNotRegular";
    case FailureStep::sourceItself:
        return "sourceItself";
    case FailureStep::linkOnTheWay:
        return "linkOnTheWay";
    case FailureStep::heldByEarlierJob:
        return "heldByEarlierJob";
    case FailureStep::destinationGone:
        return "destinationGone";
    case FailureStep::syncDrive:
        return "syncDrive";
    case FailureStep::other:
        break;
    }
    return "other";
}

std::optional<std::string_view> errnoName(int errorNumber) {
    // The errors a drive, a card or a network share commonly give.
    static constexpr std::array<std::pair<int, std::string_view>, 22> names{{
        {EPERM, "EPERM"},
        {ENOENT, "ENOENT"},
        {EIO, "EIO"},
        {ENXIO, "ENXIO"},
        {EACCES, "EACCES"},
        {EBUSY, "EBUSY"},
        {EEXIST, "EEXIST"},
        {ENODEV, "ENODEV"},
        {ENOTDIR, "ENOTDIR"},
        {EISDIR, "EISDIR"},
        {EINVAL, "EINVAL"},
        {EMFILE, "EMFILE"},
        {EFBIG, "EFBIG"},
        {ENOSPC, "ENOSPC"},
        {EROFS, "EROFS"},
        {ENAMETOOLONG, "ENAMETOOLONG"},
        {ELOOP, "ELOOP"},
        {ENOTCONN, "ENOTCONN"},
        {ETIMEDOUT, "ETIMEDOUT"},
        {ESTALE, "ESTALE"},
        {EDQUOT, "EDQUOT"},
        {ENOMEM, "ENOMEM"},
    }};
    for (const auto& [number, name] : names) {
        if (number == errorNumber) {
            return name;
        }
    }
    return std::nullopt;
}

} // namespace stowline
