#include "state/StartFlow.h"

#include "settings/L10n.h"
#include "state/AppState.h"
#include "state/FileUrl.h"
#include "state/SlowCall.h"

#include "stowline/ByteFormat.h"

#include <QSet>
#include <QStringList>

#include <algorithm>

namespace {

QString sizeText(qint64 bytes) {
    return QString::fromStdString(stowline::ByteFormat::string(bytes));
}

bool allScanned(const QList<SourceItem>& batch) {
    return std::all_of(batch.cbegin(), batch.cend(), [](const SourceItem& s) { return s.scanned; });
}

} // namespace

StartFlow::StartFlow(AppState& state, std::function<qint64(const QUrl&)> freeSpace,
                     std::chrono::milliseconds limit)
    : state_(state), freeSpace_(std::move(freeSpace)), limit_(limit) {}

void StartFlow::check(const QList<SourceItem>& batch, bool confirmed) {
    if (pending_) {
        return;
    }
    StartCheck::Request request;
    QList<QUuid> batchIDs;
    QStringList touched;
    for (const SourceItem& source : batch) {
        request.sources.append({source.url, source.volume});
        batchIDs.append(source.id);
        touched.append(source.url.toLocalFile());
    }
    for (const DestItem& dest : state_.destinations()) {
        request.destinations.append({dest.url, dest.volume});
        touched.append(dest.url.toLocalFile());
    }
    // A source still being measured has no size to compare with; a confirmed start has
    // already been warned.
    request.measureSpace = !confirmed && allScanned(batch);
    request.freeSpace = freeSpace_;
    setPending(true);
    SlowCall::run<StartCheck::Result>(
        this, touched, limit_, [request] { return StartCheck::run(request); },
        [this, batchIDs, confirmed](std::optional<StartCheck::Result> checked) {
            setPending(false);
            finish(batchIDs, confirmed, checked);
        });
}

void StartFlow::setPending(bool pending) {
    if (pending_ != pending) {
        pending_ = pending;
        emit pendingChanged();
    }
}

void StartFlow::finish(const QList<QUuid>& batchIDs, bool confirmed,
                       const std::optional<StartCheck::Result>& checked) {
    // The batch as it is now: sources removed or started meanwhile drop out.
    QList<SourceItem> batch;
    for (const SourceItem& source : state_.pendingSources()) {
        if (batchIDs.contains(source.id)) {
            batch.append(source);
        }
    }
    if (batch.isEmpty() || state_.destinations().isEmpty()) {
        return;
    }
    if (!checked) {
        emit refused(L10n::t("appstate.drive_not_answering_error"));
        return;
    }
    // Never onto another disk: a drive unmounted since it was added leaves an empty
    // folder on the system disk at its mount point.
    if (checked->movedName) {
        emit refused(L10n::t("appstate.volume_changed_error", {*checked->movedName}));
        return;
    }
    if (confirmed) {
        emit cleared(batch);
        return;
    }
    if (checked->destinationInsideSource) {
        emit refused(L10n::t("appstate.dest_inside_source_error"));
        return;
    }
    if (const auto why = conflict(batch)) {
        emit refused(*why);
        return;
    }
    if (const auto shortage = spaceShortage(batch, *checked)) {
        emit warned(*shortage, batch);
        return;
    }
    emit cleared(batch);
}

std::optional<QString> StartFlow::conflict(const QList<SourceItem>& batch) const {
    const QList<DestItem>& destinations = state_.destinations();
    // A check reading a drive while new files land on it would report them as changed or
    // missing: one or the other at a time.
    if (std::any_of(destinations.cbegin(), destinations.cend(),
                    [this](const DestItem& dest) { return state_.driveCheck(dest.url) != nullptr; })) {
        return L10n::t("appstate.drive_check_running_error");
    }
    // Two running jobs writing folders of the same name onto the same drive.
    QSet<QString> names;
    for (const SourceItem& source : batch) {
        names.insert(FileUrl::lastComponent(source.url));
    }
    QSet<QUrl> roots;
    for (const DestItem& dest : destinations) {
        roots.insert(dest.url);
    }
    for (const TransferJob* job : state_.jobs()) {
        if (!job->isActive()) {
            continue;
        }
        const QList<QUrl> sources = job->sourceURLs();
        const bool sharesName = std::any_of(sources.cbegin(), sources.cend(), [&](const QUrl& url) {
            return names.contains(FileUrl::lastComponent(url));
        });
        const auto& rows = job->destinations();
        const bool sharesRoot =
            std::any_of(rows.cbegin(), rows.cend(), [&](const auto& row) { return roots.contains(row.url); });
        if (sharesName && sharesRoot) {
            return L10n::t("appstate.collision_error");
        }
    }
    return std::nullopt;
}

std::optional<QString> StartFlow::spaceShortage(const QList<SourceItem>& batch,
                                                const StartCheck::Result& checked) const {
    if (!allScanned(batch)) {
        return std::nullopt; // nothing to compare with yet
    }
    qint64 needed = 0;
    for (const SourceItem& source : batch) {
        needed += source.totalBytes;
    }
    QStringList lines;
    for (const DestItem& dest : state_.destinations()) {
        // Asked afresh by the check; a destination added meanwhile counts as unknown.
        const qint64 freeBytes = checked.freeBytes.value(dest.url, -1);
        if (freeBytes >= 0 && freeBytes < needed) {
            lines.append(L10n::t("appstate.space.line",
                                 {FileUrl::lastComponent(dest.url).trimmed(), sizeText(freeBytes)}));
        }
    }
    if (lines.isEmpty()) {
        return std::nullopt;
    }
    return L10n::t("appstate.space.header", {sizeText(needed)}) + QLatin1Char('\n') +
           lines.join(QLatin1Char('\n')) + QStringLiteral("\n\n") + L10n::t("appstate.space.note");
}
