#include "state/StartCheck.h"

#include "state/FileUrl.h"

#include "stowline/PathOverlap.h"

namespace StartCheck {
namespace {

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
        for (const QUrl& dest : destinations) {
            // By device and inode, as the command line decides it: neither a link nor a bind
            // mount hides the card.
            if (stowline::pathOverlap(FileUrl::toPath(source), FileUrl::toPath(dest)) !=
                stowline::PathOverlap::none) {
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
