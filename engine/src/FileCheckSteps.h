#pragma once
// The steps a drive check takes for every file, whether a hash list or an ASC MHL history
// names it.
#include "stowline/DriveCheck.h"

#include <cstddef>
#include <filesystem>
#include <functional>
#include <span>
#include <string>

namespace stowline::FileCheckSteps {

/// Settles the file's status and says why.
void decide(CheckedFile& checked, DriveCheckStatus status, std::string detail,
            DriveCheckFault fault = DriveCheckFault::none, int errorNumber = 0);

/// Reads the file at `checked.target` once, around the file cache where the options ask for
/// it, handing each piece to `piece`. False, decided unreadable, when a read fails; a cancel
/// (CopyError::Cancelled, from `piece`) is thrown on.
[[nodiscard]] bool readAround(CheckedFile& checked, const DriveCheckOptions& options,
                              const std::function<void(std::span<const std::byte>)>& piece);

} // namespace stowline::FileCheckSteps
