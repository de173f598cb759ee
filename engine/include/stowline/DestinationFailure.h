#pragma once
#include <filesystem>
#include <string>

namespace stowline {

/// One destination the copier gave up: its final path (never the temporary one), the
/// system's description of the error, and whether that error was a full disk.
struct DestinationFailure {
    std::filesystem::path url;
    std::string systemMessage;
    bool outOfSpace = false;

    bool operator==(const DestinationFailure&) const = default;
};

} // namespace stowline
