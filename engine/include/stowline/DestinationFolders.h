#pragma once
#include <filesystem>
#include <map>
#include <utility>
#include <vector>

#include <sys/types.h>

namespace stowline {

/// The folders that hold a job's destinations: every root and each folder above it, by device
/// and inode. A folder of a source that is one of them holds a destination, whatever path
/// leads there: a card's subfolder bound elsewhere with a destination below it shows no sign
/// of the card on the destination's own path, but the scan of the card walks into it.
class DestinationFolders {
public:
    DestinationFolders() = default;
    /// Reads the file system: a stat of each root and of each folder up to "/", links resolved.
    /// A root that cannot be examined adds nothing; the copy reports it.
    explicit DestinationFolders(const std::vector<std::filesystem::path>& roots);

    /// The root that the folder `device`/`inode` is or holds; null when it holds none.
    [[nodiscard]] const std::filesystem::path* rootHeldBy(dev_t device, ino_t inode) const;

private:
    std::map<std::pair<dev_t, ino_t>, std::filesystem::path> folders_;
};

} // namespace stowline
