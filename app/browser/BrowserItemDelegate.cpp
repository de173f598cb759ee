#include "browser/BrowserItemDelegate.h"

#include "browser/BrowserItem.h"
#include "kit/Fonts.h"
#include "kit/Symbol.h"
#include "kit/Theme.h"
#include "platform/FileIconCache.h"
#include "stowline/ByteFormat.h"

#include <QPainter>
#include <QPainterPath>

namespace {

// Icons grid: cells 112 wide and 6 apart; the painted content is 100 wide.
constexpr int gridCellWidth = 112;
constexpr int gridGap = 6;
constexpr double cellContentWidth = 100;
constexpr double cellPadding = 6;
constexpr double cellRadius = 8;
constexpr double gridIcon = 52;
constexpr int gridCellHeight = 104;

constexpr int listRowHeight = 28; // includes the 1 between rows
constexpr double listIcon = 20;
constexpr int columnRowHeight = 27;
constexpr double columnIcon = 18;
constexpr double rowPadding = 8;
constexpr double rowRadius = 6;

QColor selectionTint(const Theme& theme) {
    QColor tint = theme.accent;
    tint.setAlphaF(theme.isLight ? 0.14 : 0.30);
    return tint;
}

void fillRounded(QPainter& p, const QRectF& r, double radius, const QColor& color) {
    QPainterPath path;
    path.addRoundedRect(r, radius, radius);
    p.fillPath(path, color);
}

void drawIcon(QPainter& p, const BrowserItem& item, const QRectF& square) {
    const QPixmap icon = FileIconCache::icon(item.url.toLocalFile(), square.width());
    if (icon.isNull()) {
        return;
    }
    p.drawPixmap(square, icon, QRectF(QPointF(0, 0), QSizeF(icon.size())));
}

void drawElided(QPainter& p, const QRectF& r, const QString& text, const QFont& font, const QColor& color,
                Qt::Alignment alignment) {
    p.setFont(font);
    p.setPen(color);
    const QString shown = QFontMetricsF(font).elidedText(text, Qt::ElideMiddle, r.width());
    p.drawText(r, static_cast<int>(alignment | Qt::AlignVCenter | Qt::TextSingleLine), shown);
}

} // namespace

BrowserItemDelegate::BrowserItemDelegate(Style style, std::function<bool(const QUrl&)> isHighlighted,
                                         QObject* parent)
    : QStyledItemDelegate(parent), style_(style), isHighlighted_(std::move(isHighlighted)) {}

QSize BrowserItemDelegate::cellSize(Style style) {
    switch (style) {
    case Style::iconCell:
        return {gridCellWidth + gridGap, gridCellHeight + gridGap};
    case Style::listRow:
        return {0, listRowHeight};
    case Style::columnRow:
        return {0, columnRowHeight};
    }
    return {};
}

QString BrowserItemDelegate::sizeText(const std::optional<qint64>& size, Style style) {
    if (size) {
        return QString::fromStdString(stowline::ByteFormat::string(*size));
    }
    return style == Style::listRow ? QStringLiteral("—") : QStringLiteral(" ");
}

QSize BrowserItemDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const {
    QSize size = cellSize(style_);
    if (size.width() == 0) {
        size.setWidth(option.rect.width());
    }
    return size;
}

void BrowserItemDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                const QModelIndex& index) const {
    const auto item = index.data(Qt::UserRole).value<BrowserItem>();
    const bool selected = isHighlighted_ && isHighlighted_(item.url);
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setRenderHint(QPainter::SmoothPixmapTransform);
    const QRectF r(option.rect);
    switch (style_) {
    case Style::iconCell:
        paintIconCell(*painter, r, item, selected);
        break;
    case Style::listRow:
        paintListRow(*painter, r, item, selected);
        break;
    case Style::columnRow:
        paintColumnRow(*painter, r, item, selected);
        break;
    }
    painter->restore();
}

void BrowserItemDelegate::paintIconCell(QPainter& p, const QRectF& cell, const BrowserItem& item,
                                        bool selected) const {
    const Theme& theme = Theme::current();
    // The 112-wide cell sits in the grid slot with half the gap on either side.
    const QRectF slot(cell.x() + gridGap / 2.0, cell.y() + gridGap / 2.0, gridCellWidth, gridCellHeight);
    const QRectF content(slot.center().x() - cellContentWidth / 2, slot.y(), cellContentWidth, slot.height());
    if (selected) {
        fillRounded(p, content, cellRadius, selectionTint(theme));
    }
    const QRectF inner = content.adjusted(cellPadding, cellPadding, -cellPadding, -cellPadding);
    drawIcon(p, item, QRectF(inner.center().x() - gridIcon / 2, inner.y() + 2, gridIcon, gridIcon));
    const double nameTop = inner.y() + 2 + gridIcon + 5;
    drawElided(p, QRectF(inner.x(), nameTop, inner.width(), 16), item.name,
               Fonts::sans(12, Fonts::Weight::medium), theme.mainText, Qt::AlignHCenter);
    drawElided(p, QRectF(inner.x(), nameTop + 16, inner.width(), 15), sizeText(item.size, Style::iconCell),
               Fonts::sans(11), theme.grey, Qt::AlignHCenter);
}

void BrowserItemDelegate::paintListRow(QPainter& p, const QRectF& cell, const BrowserItem& item,
                                       bool selected) const {
    const Theme& theme = Theme::current();
    const QRectF row = cell.adjusted(6, 0, -6, -1); // rows 1 apart
    if (selected) {
        fillRounded(p, row, rowRadius, selectionTint(theme));
    }
    const QRectF inner = row.adjusted(rowPadding, 0, -rowPadding, 0);
    drawIcon(p, item, QRectF(inner.x(), inner.center().y() - listIcon / 2, listIcon, listIcon));
    const QString size = sizeText(item.size, Style::listRow);
    const QFont sizeFont = Fonts::mono(11);
    const double sizeWidth = std::max(72.0, QFontMetricsF(sizeFont).horizontalAdvance(size));
    const double nameLeft = inner.x() + listIcon + 8;
    drawElided(p, QRectF(nameLeft, inner.y(), inner.right() - sizeWidth - 12 - nameLeft, inner.height()),
               item.name, Fonts::sans(12), theme.mainText, Qt::AlignLeft);
    drawElided(p, QRectF(inner.right() - sizeWidth, inner.y(), sizeWidth, inner.height()), size, sizeFont,
               theme.grey, Qt::AlignRight);
}

void BrowserItemDelegate::paintColumnRow(QPainter& p, const QRectF& cell, const BrowserItem& item,
                                         bool selected) const {
    const Theme& theme = Theme::current();
    const QRectF row = cell.adjusted(4, 0, -4, -1);
    if (selected) {
        fillRounded(p, row, rowRadius, selectionTint(theme));
    }
    const QRectF inner = row.adjusted(rowPadding, 0, -rowPadding, 0);
    drawIcon(p, item, QRectF(inner.x(), inner.center().y() - columnIcon / 2, columnIcon, columnIcon));
    double right = inner.right();
    if (item.isDirectory) {
        const QPixmap mark = Symbol::pixmap(QStringLiteral("chevron.right"), 9, theme.midGrey,
                                            p.device()->devicePixelRatioF(), Fonts::Weight::semibold);
        const QSizeF size = mark.deviceIndependentSize();
        p.drawPixmap(QPointF(right - size.width(), inner.center().y() - size.height() / 2), mark);
        right -= size.width() + 6;
    }
    const double nameLeft = inner.x() + columnIcon + 8;
    drawElided(p, QRectF(nameLeft, inner.y(), right - nameLeft, inner.height()), item.name, Fonts::sans(12),
               theme.mainText, Qt::AlignLeft);
}
