#include "ui/sheets/DriveCheckModal.h"

#include "kit/Fonts.h"
#include "kit/SheetParts.h"
#include "kit/Symbol.h"
#include "kit/Theme.h"
#include "kit/ThemedText.h"
#include "kit/ThinScrollBar.h"
#include "platform/DisplayPath.h"
#include "settings/DriveCheckText.h"
#include "settings/L10n.h"
#include "state/AppState.h"
#include "ui/sheets/ReportFileList.h"

#include <QAbstractListModel>
#include <QHBoxLayout>
#include <QListView>
#include <QPainter>
#include <QStackedLayout>
#include <QStyledItemDelegate>
#include <QVBoxLayout>
#include <algorithm>

namespace {

constexpr int sheetWidth = 640;
constexpr int sheetHeight = 460;
constexpr int padding = 20;
constexpr int rowHeight = 46;
constexpr int symbolSize = 11;
constexpr int gap = 12;

struct Row {
    QString path;
    QString status;
    QString detail;
};

/// The rows in the active language: the files not intact in checking order, then the lists
/// (or the drive) that could not be used.
class RowModel : public QAbstractListModel {
public:
    RowModel(const stowline::DriveCheckResult& result, QObject* parent) : QAbstractListModel(parent) {
        for (const stowline::CheckedFile& file : result.findings) {
            rows_.push_back({QString::fromStdString(file.path), DriveCheckText::status(file.status),
                             DriveCheckText::detail(file)});
        }
        for (const stowline::DriveCheckProblem& problem : result.problems) {
            rows_.push_back({QString::fromStdString(problem.path.string()),
                             L10n::t("drivecheck.status.problem"), DriveCheckText::problem(problem)});
        }
        // A list can be wholly intact on a drive its job left half-way.
        for (const stowline::IncompleteList& list : result.incompleteLists) {
            rows_.push_back({QString::fromStdString(list.list.filename().string()),
                             L10n::t("drivecheck.status.incomplete"), DriveCheckText::incomplete(list.job)});
        }
    }
    [[nodiscard]] int rowCount(const QModelIndex& parent) const override {
        return parent.isValid() ? 0 : static_cast<int>(rows_.size());
    }
    [[nodiscard]] QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid() || index.row() >= static_cast<int>(rows_.size())) {
            return {};
        }
        const Row& row = rows_[static_cast<std::size_t>(index.row())];
        switch (role) {
        case Qt::DisplayRole:
            return row.path;
        case DriveCheckModal::statusRole:
            return row.status;
        case DriveCheckModal::detailRole:
            return row.detail;
        default:
            return {};
        }
    }

private:
    std::vector<Row> rows_;
};

/// A red cross, the path shortened in the middle and the status on the right; why, under it.
class RowDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        const Theme& theme = Theme::current();
        const QRect r = option.rect;
        p->save();
        p->setRenderHint(QPainter::Antialiasing);
        const QFont mono = Fonts::mono(12);
        const QFont statusFont = Fonts::sans(11, Fonts::Weight::semibold);
        const QFont detailFont = Fonts::sans(11);
        const int top = r.top() + 7;
        const int firstLine = QFontMetrics(mono).height();
        const int secondLine = QFontMetrics(detailFont).height();

        const qreal dpr = p->device() ? p->device()->devicePixelRatioF() : 1.0;
        const QPixmap glyph =
            Symbol::pixmap(QStringLiteral("xmark"), symbolSize, theme.red, dpr, Fonts::Weight::bold);
        int x = r.left() + padding;
        p->drawPixmap(QPointF(x, top + (firstLine - glyph.deviceIndependentSize().height()) / 2), glyph);
        x += symbolSize + gap;
        const int right = r.right() - padding;

        const QString status = index.data(DriveCheckModal::statusRole).toString();
        const int statusWidth = QFontMetrics(statusFont).horizontalAdvance(status);
        p->setFont(statusFont);
        p->setPen(theme.red);
        p->drawText(QRect(right - statusWidth, top, statusWidth + 1, firstLine),
                    Qt::AlignRight | Qt::AlignVCenter, status);
        const int pathWidth = std::max(0, right - statusWidth - gap - x);
        p->setFont(mono);
        p->setPen(theme.grey);
        p->drawText(QRect(x, top, pathWidth, firstLine), Qt::AlignLeft | Qt::AlignVCenter,
                    QFontMetrics(mono).elidedText(index.data().toString(), Qt::ElideMiddle, pathWidth));
        p->setFont(detailFont);
        p->setPen(theme.midGrey);
        p->drawText(
            QRect(x, top + firstLine + 2, std::max(0, right - x), secondLine),
            Qt::AlignLeft | Qt::AlignVCenter,
            QFontMetrics(detailFont)
                .elidedText(index.data(DriveCheckModal::detailRole).toString(), Qt::ElideRight, right - x));
        p->fillRect(QRect(r.left(), r.bottom(), r.width(), 1), SheetSeparator::colour(theme));
        p->restore();
    }

    [[nodiscard]] QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const override {
        return {200, rowHeight};
    }
};

} // namespace

DriveCheckModal::DriveCheckModal(AppState& state, const QUrl& root, const stowline::DriveCheckResult& result,
                                 QWidget* parent)
    : Sheet(QStringLiteral("driveCheckModal"), {sheetWidth, sheetHeight}, parent,
            [&state] { state.closeDriveCheckReport(); }),
      root_(root), result_(result), title_(new ThemedText(Fonts::sans(15, Fonts::Weight::semibold),
                                                          [](const Theme& t) { return t.mainText; })),
      path_(new ThemedText(Fonts::mono(12), [](const Theme& t) { return t.faintGrey; })),
      list_(new QListView(this)), empty_(new ThemedText(Fonts::sans(14, Fonts::Weight::semibold),
                                                        [](const Theme& t) { return t.green; })),
      verdict_(new ThemedText(Fonts::sans(12), [](const Theme& t) { return t.green; })),
      coverage_(new ThemedText(Fonts::sans(11), [](const Theme& t) { return t.faintGrey; })) {

    auto* close = new SheetCloseButton(this);
    QHBoxLayout* header = titleHeader(title_, path_, close, padding);

    list_->setModel(new RowModel(result_, list_));
    list_->setItemDelegate(new RowDelegate(list_));
    list_->setUniformItemSizes(true);
    list_->setSelectionMode(QAbstractItemView::NoSelection);
    list_->setFocusPolicy(Qt::NoFocus);
    list_->setFrameShape(QFrame::NoFrame);
    list_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    ThinScrollBar::install(*list_);
    list_->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    list_->setAutoFillBackground(false);
    list_->viewport()->setAutoFillBackground(false);

    // Nothing to list: one plain sentence in the middle, green only when it says "intact".
    auto* emptyPage = new QWidget(this);
    auto* emptyColumn = new QVBoxLayout(emptyPage);
    emptyColumn->addStretch(1);
    emptyColumn->addWidget(empty_, 0, Qt::AlignHCenter);
    emptyColumn->addStretch(1);
    const bool intact = result_.intact();
    const auto clean = [](const Theme& t) { return t.green; };
    const auto bad = [](const Theme& t) { return t.red; };
    empty_->setColour(intact ? +clean : +bad);
    verdict_->setColour(intact ? +clean : +bad);

    auto* body = new QStackedLayout;
    body->addWidget(list_);
    body->addWidget(emptyPage);
    body->setCurrentIndex(list_->model()->rowCount() > 0 ? 0 : 1);

    auto* footerTexts = new QVBoxLayout;
    footerTexts->setSpacing(3);
    footerTexts->addWidget(verdict_);
    footerTexts->addWidget(coverage_);
    auto* footer = new QHBoxLayout;
    footer->setContentsMargins(padding, 12, padding, 14);
    footer->addLayout(footerTexts, 1);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addLayout(header);
    column->addWidget(new SheetSeparator(this));
    column->addLayout(body, 1);
    column->addWidget(new SheetSeparator(this));
    column->addLayout(footer);

    connect(close, &QAbstractButton::clicked, this, &DriveCheckModal::reject);
    retranslate();
}

void DriveCheckModal::retranslate() {
    title_->setText(L10n::t("drivecheck.report.title"));
    path_->setText(DisplayPath::displayPath(root_.toLocalFile()));
    empty_->setText(result_.intact() ? L10n::t("drivecheck.report.all_intact")
                                     : DriveCheckText::verdict(result_));
    verdict_->setText(DriveCheckText::verdict(result_));
    QString coverage = L10n::plural("hash_lists_count", static_cast<qint64>(result_.lists.size()));
    if (!result_.notCovered.empty()) {
        coverage += QStringLiteral(" · ") +
                    L10n::plural("uncovered_files_count", static_cast<qint64>(result_.notCovered.size()));
    }
    coverage_->setText(coverage);
    setWindowTitle(L10n::t("drivecheck.report.title"));
}
