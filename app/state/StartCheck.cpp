#include "state/StartCheck.h"

#include "state/FileUrl.h"

#include <filesystem>
#include <system_error>

namespace StartCheck {
namespace {

/// The path with symbolic links resolved as far as it exists, so that two spellings of
/// one folder compare equal.
std::filesystem::path resolved(const QUrl& url) {
    std::error_code error;
    std::filesystem::path path = std::filesystem::weakly_canonical(FileUrl::toPath(url), error);
    if (error) {
        path = FileUrl::toPath(url).lexically_normal();
    }
    return path;
}

/// True when `inner` is `outer` or lies below it.
bool isWithin(const std::filesystem::path& inner, const std::filesystem::path& outer) {
    auto i = inner.begin();
    for (auto o = outer.begin(); o != outer.end(); ++o, ++i) {
        if (o->empty()) {
            continue; // a trailing separator
        }
        if (i == inner.end() || *i != *o) {
            return false;
        }
    }
    return true;
}

std::optional<QString> firstMoved(const QList<Item>& items) {
    for (const Item& item : items) {
        if (item.volume && !item.volume->stillHolds(FileUrl::nativePath(item.url))) {
            return FileUrl::lastComponent(item.url).trimmed();
        }
    }
    return std::nullopt;
}

} // namespace

bool destinationInsideSource(const QList<QUrl>& sources, const QList<QUrl>& destinations) {
    for (const QUrl& source : sources) {
        const std::filesystem::path sourcePath = resolved(source);
        for (const QUrl& dest : destinations) {
            const std::filesystem::path destPath = resolved(dest);
            if (isWithin(destPath, sourcePath) || sourcePath.parent_path() == destPath) {
                return true;
            }
        }
    }
    return false;
}

Result run(const Request& request) {
    Result result;
    result.movedName = firstMoved(request.sources);
    if (!result.movedName) {
        result.movedName = firstMoved(request.destinations);
    }
    QList<QUrl> sources;
    for (const Item& item : request.sources) {
        sources.append(item.url);
    }
    QList<QUrl> destinations;
    for (const Item& item : request.destinations) {
        destinations.append(item.url);
    }
    result.destinationInsideSource = destinationInsideSource(sources, destinations);
    if (request.measureSpace && request.freeSpace) {
        for (const QUrl& url : destinations) {
            result.freeBytes.insert(url, request.freeSpace(url));
        }
    }
    return result;
}

} // namespace StartCheck
