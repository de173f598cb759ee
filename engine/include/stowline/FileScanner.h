#pragma once
#include "stowline/DestinationFolders.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace stowline {

/// One file to copy. Its source path is kept as the picked item it lies in, shared by every
/// file of that item, and the tail of relativePath below the item's name: a card holds a
/// hundred thousand files, and a parsed path for each would be most of a job's memory.
struct ScannedFile {
    ScannedFile() = default;
    /// A file whose source is `url` itself.
    ScannedFile(std::filesystem::path url, std::string relativePath, std::int64_t size);
    /// A file inside the picked folder `item`: its source is `item` joined with relativePath
    /// from the byte `below` on (the item's unique name may differ from the folder's own).
    ScannedFile(std::shared_ptr<const std::filesystem::path> item, std::string relativePath,
                std::size_t below, std::int64_t size);

    std::string relativePath; ///< "/"-separated, starts with the picked item's unique name
    std::int64_t size = 0;

    /// The source path, built on each call from the bytes read from its folders.
    [[nodiscard]] std::filesystem::path url() const;

    bool operator==(const ScannedFile& other) const;

private:
    static constexpr std::uint32_t itemItself = UINT32_MAX;
    std::shared_ptr<const std::filesystem::path> item_;
    std::uint32_t below_ = itemItself;
};

/// A scan's files and the folders they come from.
struct ScannedTree {
    std::vector<ScannedFile> files;
    /// Every folder of the picked folders, each picked folder itself included (hidden
    /// folders too, links to folders not), as "/"-separated relative paths, sorted as files are.
    std::vector<std::string> folders;
};

/// Why a scan failed: the kind, the offending path, and the underlying error if any.
class ScanError : public std::runtime_error {
public:
    enum class Kind {
        noSuchFile,       ///< a picked item does not exist
        noReadPermission, ///< a folder cannot be walked or read
        readFailed,       ///< an entry's properties could not be read
        unsupportedType,  ///< a picked item is neither a folder nor a regular file
        holdsDestination, ///< a folder of a picked item is a destination or holds one
    };
    ScanError(Kind kind, std::filesystem::path path, std::error_code underlying = {});
    /// holdsDestination: `item` is the picked item, `destination` the root one of its folders holds.
    ScanError(std::filesystem::path item, std::filesystem::path destination);

    [[nodiscard]] Kind kind() const { return kind_; }
    [[nodiscard]] const std::filesystem::path& path() const { return path_; }
    [[nodiscard]] std::error_code underlying() const { return underlying_; }
    /// holdsDestination: the destination root; empty otherwise.
    [[nodiscard]] const std::filesystem::path& destination() const { return destination_; }

private:
    Kind kind_;
    std::filesystem::path path_;
    std::error_code underlying_;
    std::filesystem::path destination_;
};

/// Turns picked items into the ordered list of regular files a job copies.
namespace FileScanner {

/// Items in the given order; each folder's files sorted by NFC code points. Returns the
/// whole list or throws ScanError; never a partial list. Any thread.
[[nodiscard]] std::vector<ScannedFile> scan(const std::vector<std::filesystem::path>& items);

/// The same scan, with the folders: a card's empty folders are part of its structure. With
/// `destinations`, a folder that is one of them, or holds one, fails the scan
/// (holdsDestination) before the job copies anything.
[[nodiscard]] ScannedTree scanTree(const std::vector<std::filesystem::path>& items,
                                   const DestinationFolders* destinations = nullptr);

/// True for ".DS_Store" and names starting with "._".
[[nodiscard]] bool isIgnored(std::string_view name);

} // namespace FileScanner
} // namespace stowline
