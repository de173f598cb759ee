#include "ui/cards/SlotText.h"

#include "kit/Theme.h"
#include "platform/DisplayPath.h"
#include "settings/L10n.h"
#include "state/DestItem.h"
#include "state/FileUrl.h"
#include "state/SourceItem.h"
#include "stowline/ByteFormat.h"

#include <QFileInfo>

namespace SlotText {

QString name(const QUrl& url) {
    return FileUrl::lastComponent(url).trimmed();
}

QString parentPath(const QUrl& url) {
    QString path = url.toLocalFile();
    while (path.size() > 1 && path.endsWith(QLatin1Char('/'))) {
        path.chop(1);
    }
    return DisplayPath::displayPath(QFileInfo(path).absolutePath());
}

Status sourceStatus(const SourceItem& source) {
    using State = SourceItem::TransferState;
    const QString size = QString::fromStdString(stowline::ByteFormat::string(source.totalBytes));
    if (!source.scanned) {
        return {L10n::t("slotpanel.scanning"), [](const Theme& t) { return t.faintGrey; }};
    }
    switch (source.transferState) {
    case State::transferring:
        return {L10n::t("slotpanel.copying"), [](const Theme& t) { return t.accent; }};
    case State::done:
        return {QStringLiteral("✓ ") + size, [](const Theme& t) { return t.green; }};
    case State::pending:
        break;
    }
    return {size, [](const Theme& t) { return t.faintGrey; }};
}

QString destinationSubtitle(const DestItem& destination) {
    if (destination.freeBytes < 0) {
        return L10n::t("slotpanel.free.unknown");
    }
    return QString::fromStdString(stowline::ByteFormat::string(destination.freeBytes));
}

} // namespace SlotText
