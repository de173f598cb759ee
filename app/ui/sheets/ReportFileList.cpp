#include "ui/sheets/ReportFileList.h"

#include "kit/Fonts.h"
#include "kit/SheetParts.h"
#include "kit/Symbol.h"
#include "kit/Theme.h"
#include "kit/ThinScrollBar.h"

#include <QListView>
#include <QPainter>

namespace ReportFileList {

namespace {

constexpr int rowHeight = 30;
constexpr int paddingH = 20;
constexpr int symbolSize = 11;
constexpr int gap = 12;

} // namespace

Model::Model(std::shared_ptr<const stowline::JobSummary> summary, QObject* parent)
    : QAbstractListModel(parent), summary_(std::move(summary)) {}

int Model::rowCount(const QModelIndex& parent) const {
    return parent.isValid() || !summary_ ? 0 : static_cast<int>(summary_->reports.size());
}

QVariant Model::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) {
        return {};
    }
    const stowline::FileReport& report = summary_->reports[static_cast<size_t>(index.row())];
    switch (role) {
    case Qt::DisplayRole:
    case relativePathRole:
        return QString::fromStdString(report.relativePath);
    case hashRole:
        return QString::fromStdString(report.hashHex);
    case failedRole:
        return report.outcome == stowline::FileOutcome::failed;
    default:
        return {};
    }
}

void Delegate::paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const {
    const Theme& theme = Theme::current();
    const QRect r = option.rect;
    p->save();
    p->setRenderHint(QPainter::Antialiasing);
    const bool failed = index.data(failedRole).toBool();
    const qreal dpr = p->device() ? p->device()->devicePixelRatioF() : 1.0;
    const QPixmap glyph =
        Symbol::pixmap(failed ? QStringLiteral("xmark") : QStringLiteral("checkmark"), symbolSize,
                       failed ? theme.red : theme.green, dpr, Fonts::Weight::bold);
    const QSizeF glyphSize = glyph.deviceIndependentSize();
    int x = r.left() + paddingH;
    p->drawPixmap(QPointF(x, r.center().y() - glyphSize.height() / 2 + 0.5), glyph);
    x += symbolSize + gap;

    const QFont mono = Fonts::mono(12);
    const QFontMetrics fm(mono);
    const QString hash = index.data(hashRole).toString();
    const int hashWidth = fm.horizontalAdvance(hash);
    const int right = r.right() - paddingH;
    p->setFont(mono);
    p->setPen(theme.midGrey);
    p->drawText(QRect(right - hashWidth, r.top(), hashWidth + 1, r.height() - 1),
                Qt::AlignRight | Qt::AlignVCenter, hash);
    const int pathWidth = std::max(0, right - hashWidth - gap - x);
    p->setPen(theme.grey);
    p->drawText(QRect(x, r.top(), pathWidth, r.height() - 1), Qt::AlignLeft | Qt::AlignVCenter,
                fm.elidedText(index.data(relativePathRole).toString(), Qt::ElideMiddle, pathWidth));
    p->fillRect(QRect(r.left(), r.bottom(), r.width(), 1), SheetSeparator::colour(theme));
    p->restore();
}

QSize Delegate::sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const {
    return {200, rowHeight};
}

void configure(QListView& view, const std::shared_ptr<const stowline::JobSummary>& summary) {
    auto* model = new Model(summary, &view);
    view.setModel(model);
    view.setItemDelegate(new Delegate(&view));
    view.setUniformItemSizes(true);
    view.setSelectionMode(QAbstractItemView::NoSelection);
    view.setFocusPolicy(Qt::NoFocus);
    view.setFrameShape(QFrame::NoFrame);
    view.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    ThinScrollBar::install(view);
    view.setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    view.setAutoFillBackground(false);
    view.viewport()->setAutoFillBackground(false);
}

} // namespace ReportFileList
