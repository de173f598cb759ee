#pragma once
#include <QStyledItemDelegate>
#include <QUrl>

#include <functional>

/// Paints the cells of the three browser views: an icons-grid cell, a list row or a
/// column row. Icons come from the icon cache as a cell is painted, so only rows on
/// screen cost an icon. Main thread.
class BrowserItemDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    enum class Style { iconCell, listRow, columnRow };

    /// `isHighlighted` tells whether the entry with that URL is drawn as selected.
    BrowserItemDelegate(Style style, std::function<bool(const QUrl&)> isHighlighted,
                        QObject* parent = nullptr);

    [[nodiscard]] static QSize cellSize(Style style);
    /// "1.2 GB", or the style's placeholder ("—" in the list, a space in the grid).
    [[nodiscard]] static QString sizeText(const std::optional<qint64>& size, Style style);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    [[nodiscard]] QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    void paintIconCell(QPainter& p, const QRectF& cell, const struct BrowserItem& item, bool selected) const;
    void paintListRow(QPainter& p, const QRectF& row, const struct BrowserItem& item, bool selected) const;
    void paintColumnRow(QPainter& p, const QRectF& row, const struct BrowserItem& item, bool selected) const;

    Style style_;
    std::function<bool(const QUrl&)> isHighlighted_;
};
