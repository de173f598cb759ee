#include "stowline/FileScanner.h"

#include "stowline/UnicodeText.h"
#include "stowline/UniqueFd.h"

#include <algorithm>
#include <cerrno>
#include <iterator>
#include <memory>
#include <set>
#include <utility>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

namespace stowline {
namespace {

namespace fs = std::filesystem;

std::string describe(ScanError::Kind kind, const fs::path& path, std::error_code underlying) {
    std::string text;
    switch (kind) {
    case ScanError::Kind::noSuchFile:
        text = "no such file or folder: " + path.string();
        break;
    case ScanError::Kind::noReadPermission:
        text = "cannot read folder contents: " + path.string();
        break;
    case ScanError::Kind::readFailed:
        text = "cannot read file properties: " + path.string();
        break;
    case ScanError::Kind::unsupportedType:
        text = "neither a folder nor a regular file (device, pipe or socket): " + path.string();
        break;
    case ScanError::Kind::holdsDestination:
        text = "a destination lies inside the source " + path.string();
        break;
    }
    if (underlying) {
        text += " (" + underlying.message() + ")";
    }
    return text;
}

std::error_code lastError() {
    return {errno, std::generic_category()};
}

// Path components in standardized form: "." and ".." resolved lexically, symbolic links
// left alone, empty components (from a trailing "/") dropped.
std::vector<fs::path> standardizedComponents(const fs::path& path) {
    std::vector<fs::path> components;
    for (const fs::path& component : path.lexically_normal()) {
        if (!component.empty() && component != ".") {
            components.push_back(component);
        }
    }
    return components;
}

// The picked item's own name, taken from its absolute form so that "." or ".." give the
// folder's real name rather than a path step.
std::string lastComponent(const fs::path& path) {
    std::error_code error;
    fs::path absolute = fs::absolute(path, error);
    const auto components = standardizedComponents(error ? path : absolute);
    return components.empty() ? path.string() : components.back().string();
}

// Reserves `name` among the top-level names of one scan, numbering it "base (n).ext" when
// it is taken. Only a "." after the first character starts an extension.
std::string uniqueName(const std::string& name, std::set<std::string>& usedNames) {
    if (usedNames.insert(name).second) {
        return name;
    }
    const std::size_t dot = name.rfind('.');
    const bool hasExtension = dot != std::string::npos && dot > 0;
    const std::string base = hasExtension ? name.substr(0, dot) : name;
    const std::string extension = hasExtension ? name.substr(dot) : std::string();
    for (unsigned n = 2;; ++n) {
        std::string candidate = base + " (" + std::to_string(n) + ")" + extension;
        if (usedNames.insert(candidate).second) {
            return candidate;
        }
    }
}

// A folder of the picked `item` that is a destination or lies above one: copying the item
// would copy its own copies (a bind mount can put a destination inside a card unseen).
void refuseDestinationHolder(const struct stat& folder, const fs::path& item,
                             const DestinationFolders* destinations) {
    if (destinations == nullptr) {
        return;
    }
    if (const fs::path* root = destinations->rootHeldBy(folder.st_dev, folder.st_ino)) {
        throw ScanError(item, *root);
    }
}

// Collects the regular files below the folder `item`, depth first, one descriptor open at a
// time. Symbolic links, devices, pipes and sockets are skipped without being opened.
std::vector<ScannedFile> walkFolder(const fs::path& item, const std::string& topName,
                                    std::vector<std::string>& folders,
                                    const DestinationFolders* destinations) {
    std::vector<ScannedFile> files;
    const auto shared = std::make_shared<const fs::path>(item);
    const std::size_t below = topName.size() + 1;
    folders.push_back(topName);
    // Each folder still to read, with its relative path: the names as read, joined by "/".
    std::vector<std::pair<fs::path, std::string>> pending{{item, topName}};
    bool atItem = true;
    while (!pending.empty()) {
        const fs::path folder = std::move(pending.back().first);
        const std::string folderPath = std::move(pending.back().second);
        pending.pop_back();
        // The picked item may itself be a symbolic link to a folder; folders found inside
        // were seen by lstat, and O_NOFOLLOW refuses one swapped for a link since.
        const int flags = O_RDONLY | O_DIRECTORY | O_CLOEXEC | (atItem ? 0 : O_NOFOLLOW);
        atItem = false;
        UniqueFd fd(retryOnEintr([&] { return ::open(folder.c_str(), flags); }));
        if (!fd) {
            throw ScanError(ScanError::Kind::noReadPermission, folder, lastError());
        }
        DIR* stream = ::fdopendir(fd.get());
        if (stream == nullptr) {
            throw ScanError(ScanError::Kind::noReadPermission, folder, lastError());
        }
        (void)fd.release(); // now owned by the stream
        const std::unique_ptr<DIR, int (*)(DIR*)> dir(stream, &::closedir);
        for (;;) {
            errno = 0;
            const dirent* entry = ::readdir(dir.get());
            if (entry == nullptr) {
                if (errno != 0) {
                    throw ScanError(ScanError::Kind::noReadPermission, folder, lastError());
                }
                break;
            }
            const std::string_view name = entry->d_name;
            if (name == "." || name == "..") {
                continue;
            }
            struct stat info {};
            if (::fstatat(::dirfd(dir.get()), entry->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0) {
                throw ScanError(ScanError::Kind::readFailed, folder / name, lastError());
            }
            if (S_ISDIR(info.st_mode)) {
                refuseDestinationHolder(info, item, destinations);
                std::string path = folderPath + "/" + std::string(name);
                folders.push_back(path);
                pending.emplace_back(folder / name, std::move(path));
            } else if (S_ISREG(info.st_mode) && !FileScanner::isIgnored(name)) {
                files.emplace_back(shared, folderPath + "/" + std::string(name), below,
                                   static_cast<std::int64_t>(info.st_size));
            }
        }
    }
    return files;
}

const std::string& pathOf(const ScannedFile& file) {
    return file.relativePath;
}

const std::string& pathOf(const std::string& folder) {
    return folder;
}

// Stable sort by the code points of the composed form; the byte order of UTF-8 is the
// code-point order, so composed strings compare bytewise.
template <class Entry> void sortByComposedPath(std::vector<Entry>& files) {
    std::vector<std::pair<std::string, Entry>> keyed;
    keyed.reserve(files.size());
    for (Entry& file : files) {
        keyed.emplace_back(UnicodeText::nfc(pathOf(file)), std::move(file));
    }
    std::stable_sort(keyed.begin(), keyed.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    for (std::size_t i = 0; i < files.size(); ++i) {
        files[i] = std::move(keyed[i].second);
    }
}

} // namespace

ScannedFile::ScannedFile(std::filesystem::path path, std::string relative, std::int64_t bytes)
    : relativePath(std::move(relative)), size(bytes),
      item_(std::make_shared<const std::filesystem::path>(std::move(path))) {}

ScannedFile::ScannedFile(std::shared_ptr<const std::filesystem::path> item, std::string relative,
                         std::size_t below, std::int64_t bytes)
    : relativePath(std::move(relative)), size(bytes), item_(std::move(item)),
      below_(static_cast<std::uint32_t>(below)) {}

std::filesystem::path ScannedFile::url() const {
    if (!item_) {
        return {};
    }
    fs::path path = *item_;
    if (below_ != itemItself) {
        path /= std::string_view(relativePath).substr(below_);
    }
    return path;
}

bool ScannedFile::operator==(const ScannedFile& other) const {
    return relativePath == other.relativePath && size == other.size && url() == other.url();
}

ScanError::ScanError(Kind kind, std::filesystem::path path, std::error_code underlying)
    : std::runtime_error(describe(kind, path, underlying)), kind_(kind), path_(std::move(path)),
      underlying_(underlying) {}

ScanError::ScanError(std::filesystem::path item, std::filesystem::path destination)
    : std::runtime_error(describe(Kind::holdsDestination, item, {})), kind_(Kind::holdsDestination),
      path_(std::move(item)), destination_(std::move(destination)) {}

namespace FileScanner {

bool isIgnored(std::string_view name) {
    return name == ".DS_Store" || name.starts_with("._");
}

std::vector<ScannedFile> scan(const std::vector<std::filesystem::path>& items) {
    return scanTree(items).files;
}

ScannedTree scanTree(const std::vector<std::filesystem::path>& items,
                     const DestinationFolders* destinations) {
    ScannedTree tree;
    std::vector<ScannedFile>& result = tree.files;
    std::set<std::string> usedNames;
    for (const fs::path& item : items) {
        struct stat info {};
        if (::stat(item.c_str(), &info) != 0) {
            const std::error_code error = lastError();
            if (error == std::errc::no_such_file_or_directory || error == std::errc::not_a_directory) {
                throw ScanError(ScanError::Kind::noSuchFile, item);
            }
            throw ScanError(ScanError::Kind::readFailed, item, error);
        }
        const std::string name = lastComponent(item);
        if (S_ISDIR(info.st_mode)) {
            refuseDestinationHolder(info, item, destinations);
            const std::string topName = uniqueName(name, usedNames);
            std::vector<std::string> folders;
            std::vector<ScannedFile> files = walkFolder(item, topName, folders, destinations);
            sortByComposedPath(files);
            sortByComposedPath(folders);
            std::move(folders.begin(), folders.end(), std::back_inserter(tree.folders));
            std::move(files.begin(), files.end(), std::back_inserter(result));
            continue;
        }
        if (FileScanner::isIgnored(name)) {
            continue;
        }
        // Opening a FIFO or a device could block or consume data: refuse such an item.
        if (!S_ISREG(info.st_mode)) {
            throw ScanError(ScanError::Kind::unsupportedType, item);
        }
        result.push_back({item, uniqueName(name, usedNames), static_cast<std::int64_t>(info.st_size)});
    }
    return tree;
}

} // namespace FileScanner
} // namespace stowline
