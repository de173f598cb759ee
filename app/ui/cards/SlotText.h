#pragma once
#include "kit/TextLine.h"

#include <QString>
#include <QUrl>

struct SourceItem;
struct DestItem;

/// The texts the slot cards show for an item, in the active language.
namespace SlotText {

/// The item's last path component, trimmed at both ends.
[[nodiscard]] QString name(const QUrl& url);
/// The display form of the item's parent folder.
[[nodiscard]] QString parentPath(const QUrl& url);

/// A source's state in words and the colour it is shown in.
struct Status {
    QString text;
    TextLine::Colour colour;
};
/// Scanning…, its size (pending), Copying… or "✓ size" (done).
[[nodiscard]] Status sourceStatus(const SourceItem& source);
/// The compact destination card's line: its free bytes.
[[nodiscard]] QString destinationSubtitle(const DestItem& destination);

} // namespace SlotText
