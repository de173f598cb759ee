// Adding sources and destinations: each checked and scanned off the main thread, so a slow
// or sleeping drive never holds up the window.
#include "state/AppState.h"

#include "state/FileUrl.h"
#include "state/SlowCall.h"

#include <algorithm>

namespace {

QStringList pathsOf(const QList<QUrl>& urls) {
    QStringList paths;
    for (const QUrl& url : urls) {
        paths.append(url.toLocalFile());
    }
    return paths;
}

/// The cleaned URLs of `urls` not in `items`, not being added already and not repeated;
/// each one returned is marked as being added.
template <class Item>
QList<QUrl> claimNew(const QList<QUrl>& urls, const QList<Item>& items, QSet<QUrl>& adding) {
    QList<QUrl> wanted;
    for (const QUrl& raw : urls) {
        const QUrl url = FileUrl::cleaned(raw);
        const bool present =
            std::any_of(items.cbegin(), items.cend(), [&](const Item& item) { return item.url == url; });
        if (!present && !adding.contains(url) && !wanted.contains(url)) {
            wanted.append(url);
        }
    }
    for (const QUrl& url : wanted) {
        adding.insert(url);
    }
    return wanted;
}

} // namespace

void AppState::addSources(const QList<QUrl>& urls) {
    const QList<QUrl> wanted = claimNew(urls, sources_, addingSources_);
    if (wanted.isEmpty()) {
        return;
    }
    ++addsInFlight_;
    const QList<Mount> table = mounts_;
    SlowCall::run<QList<PathProbe>>(
        this, pathsOf(wanted), services_.checkLimit,
        [wanted, table] {
            QList<PathProbe> probes;
            for (const QUrl& url : wanted) {
                probes.append(PathProbe::source(url, table));
            }
            return probes;
        },
        [this, wanted](std::optional<QList<PathProbe>> probes) {
            --addsInFlight_;
            for (const QUrl& url : wanted) {
                addingSources_.remove(url);
            }
            // A drive that does not answer adds nothing; the user may drop it again.
            if (probes) {
                storeNewSources(wanted, *probes);
            }
        });
}

void AppState::storeNewSources(const QList<QUrl>& urls, const QList<PathProbe>& probes) {
    bool changed = false;
    for (qsizetype i = 0; i < urls.size() && i < probes.size(); ++i) {
        const QUrl& url = urls[i];
        if (std::any_of(sources_.cbegin(), sources_.cend(),
                        [&](const SourceItem& s) { return s.url == url; })) {
            continue;
        }
        SourceItem item;
        item.id = QUuid::createUuid();
        item.url = url;
        item.isDirectory = probes[i].isDirectory;
        item.volume = probes[i].volume;
        sources_.append(item);
        changed = true;
        scanInBackground(item.id, url);
    }
    if (changed) {
        emit sourcesChanged();
    }
}

void AppState::scanInBackground(const QUuid& sourceID, const QUrl& url) {
    using Totals = std::pair<qint64, qint64>;
    auto scan = services_.scan;
    const std::filesystem::path path = FileUrl::toPath(url);
    // Low priority: measuring a large card must not slow the window or a running copy.
    SlowCall::run<Totals>(
        this, {}, std::nullopt,
        [scan, path] {
            Totals totals{0, 0};
            try {
                for (const stowline::ScannedFile& file : scan({path})) {
                    ++totals.first;
                    totals.second += file.size;
                }
            } catch (...) {
                // An unreadable source shows as scanned with nothing in it.
                totals = {0, 0};
            }
            return totals;
        },
        [this, sourceID](std::optional<Totals> totals) {
            const Totals found = totals.value_or(Totals{0, 0});
            storeScan(sourceID, found.first, found.second);
        },
        SlowCall::Priority::low);
}

void AppState::storeScan(const QUuid& sourceID, qint64 fileCount, qint64 totalBytes) {
    for (SourceItem& item : sources_) {
        if (item.id == sourceID) {
            item.fileCount = fileCount;
            item.totalBytes = totalBytes;
            item.scanned = true;
            emit sourcesChanged();
            return;
        }
    }
}

void AppState::addDestinations(const QList<QUrl>& urls) {
    const QList<QUrl> wanted = claimNew(urls, destinations_, addingDestinations_);
    if (wanted.isEmpty()) {
        return;
    }
    ++addsInFlight_;
    const QList<Mount> table = mounts_;
    const PathProbe::Space freeSpace = services_.freeSpace;
    const PathProbe::Space totalSpace = services_.totalSpace;
    SlowCall::run<QList<PathProbe>>(
        this, pathsOf(wanted), services_.checkLimit,
        [wanted, table, freeSpace, totalSpace] {
            QList<PathProbe> probes;
            for (const QUrl& url : wanted) {
                probes.append(PathProbe::destination(url, table, freeSpace, totalSpace));
            }
            return probes;
        },
        [this, wanted](std::optional<QList<PathProbe>> probes) {
            --addsInFlight_;
            for (const QUrl& url : wanted) {
                addingDestinations_.remove(url);
            }
            if (probes) {
                storeNewDestinations(wanted, *probes);
            }
        });
}

void AppState::storeNewDestinations(const QList<QUrl>& urls, const QList<PathProbe>& probes) {
    bool changed = false;
    for (qsizetype i = 0; i < urls.size() && i < probes.size(); ++i) {
        const QUrl& url = urls[i];
        const PathProbe& probe = probes[i];
        const bool present = std::any_of(destinations_.cbegin(), destinations_.cend(),
                                         [&](const DestItem& d) { return d.url == url; });
        if (present || !probe.isDirectory) {
            continue;
        }
        destinations_.append(DestItem{QUuid::createUuid(), url, probe.freeBytes, probe.capacityBytes,
                                      probe.volume, probe.hasHashLog});
        changed = true;
    }
    if (changed) {
        emit destinationsChanged();
    }
}
