#include "stowline/DirectoryHashes.h"

#include "stowline/ContentHasher.h"

#include <algorithm>
#include <cassert>

namespace stowline {
namespace {

std::string_view parentOf(std::string_view path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? std::string_view() : path.substr(0, slash);
}

std::string_view nameOf(std::string_view path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

std::size_t depthOf(std::string_view path) {
    return path.empty() ? 0 : 1 + static_cast<std::size_t>(std::count(path.begin(), path.end(), '/'));
}

HashValue hashOf(HashFormat format, std::string_view bytes) {
    return ContentHasher::digest(format, std::as_bytes(std::span(bytes)));
}

// F over the digests sorted ascending and concatenated.
HashValue combined(HashFormat format, std::vector<HashValue>& values) {
    std::sort(values.begin(), values.end());
    std::string bytes;
    for (const auto& value : values) {
        bytes += value.digest();
    }
    return hashOf(format, bytes);
}

} // namespace

DirectoryHashes::Folder& DirectoryHashes::folder(std::string_view path) {
    auto found = folders_.find(path);
    if (found != folders_.end()) {
        return found->second;
    }
    if (!path.empty()) {
        folder(parentOf(path)).subfolders.emplace_back(nameOf(path));
    }
    return folders_.emplace(std::string(path), Folder{}).first->second;
}

void DirectoryHashes::addFile(std::string_view path, const HashValues& hashes) {
    assert(hashes.formats().intersection(formats_) == formats_);
    folder(parentOf(path)).files.emplace_back(nameOf(path), hashes);
}

void DirectoryHashes::addFolder(std::string_view path) {
    (void)folder(path);
}

void DirectoryHashes::setFolderHashes(std::string_view path, FolderHashes hashes) {
    (void)folder(path);
    fixed_.insert_or_assign(std::string(path), std::move(hashes));
}

std::map<std::string, FolderHashes> DirectoryHashes::compute() const {
    // Deepest folders first, so that every subfolder is done before its parent.
    std::vector<const std::pair<const std::string, Folder>*> order;
    for (const auto& entry : folders_) {
        order.push_back(&entry);
    }
    std::stable_sort(order.begin(), order.end(),
                     [](const auto* a, const auto* b) { return depthOf(a->first) > depthOf(b->first); });

    std::map<std::string, FolderHashes> result;
    for (const auto* entry : order) {
        const std::string& path = entry->first;
        if (const auto fixed = fixed_.find(path); fixed != fixed_.end()) {
            result[path] = fixed->second;
            continue;
        }
        const Folder& node = entry->second;
        FolderHashes hashes;
        for (HashFormat format : formats_.list()) {
            std::vector<HashValue> contents;
            std::vector<HashValue> structures;
            for (const auto& [name, values] : node.files) {
                const HashValue& value = *values.find(format);
                contents.push_back(value);
                structures.push_back(hashOf(format, name + value.digest()));
            }
            for (const auto& name : node.subfolders) {
                const FolderHashes& sub = result.at(path.empty() ? name : path + "/" + name);
                contents.push_back(*sub.content.find(format));
                structures.push_back(hashOf(format, name + sub.structure.find(format)->digest()));
            }
            hashes.content.set(combined(format, contents));
            hashes.structure.set(combined(format, structures));
        }
        result[path] = std::move(hashes);
    }
    return result;
}

} // namespace stowline
