#pragma once
#include <filesystem>
#include <vector>

namespace stowline {

/// One transfer: the picked items (scanned and copied in this order) and the destination
/// roots (visited in this order for every file). Roots must be distinct.
struct CopyJob {
    std::vector<std::filesystem::path> sources;
    std::vector<std::filesystem::path> destinations;

    bool operator==(const CopyJob&) const = default;
};

} // namespace stowline
