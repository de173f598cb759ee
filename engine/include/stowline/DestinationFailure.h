#pragma once
#include "stowline/FailureCause.h"

#include <filesystem>
#include <optional>
#include <string>

namespace stowline {

/// One destination the copier gave up: its final path (never the temporary one), the
/// system's description of the error, whether that error was a full disk, and its facts.
struct DestinationFailure {
    std::filesystem::path url;
    std::string systemMessage;
    bool outOfSpace = false;
    std::optional<FailureCause> cause;

    bool operator==(const DestinationFailure&) const = default;
};

} // namespace stowline
