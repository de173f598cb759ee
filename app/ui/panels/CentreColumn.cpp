#include "ui/panels/CentreColumn.h"

#include "kit/Buttons.h"
#include "kit/Fonts.h"
#include "kit/Symbol.h"
#include "kit/TextLine.h"
#include "kit/Theme.h"
#include "settings/L10n.h"
#include "state/AppState.h"
#include "ui/panels/CentreAlerts.h"
#include "ui/panels/IntegrityCard.h"

#include <QEvent>
#include <QLinearGradient>
#include <QPainter>
#include <QVBoxLayout>

namespace {

constexpr int columnWidth = 250;
constexpr int sidePadding = 14;
constexpr int spacing = 20;
constexpr double arrowSize = 16;
constexpr double arrowGap = 6;

/// A thin line fading in from the left into an arrow, both in the accent colour.
class DirectionArrow : public QWidget {
public:
    explicit DirectionArrow(QWidget* parent) : QWidget(parent) {
        setObjectName(QStringLiteral("directionArrow"));
        setFixedHeight(static_cast<int>(arrowSize) + 2);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        const Theme& theme = Theme::current();
        QPainter p(this);
        const double lineRight = width() - arrowSize - arrowGap;
        const double mid = height() / 2.0;
        QLinearGradient gradient(0, 0, lineRight, 0);
        QColor clear = theme.accent;
        clear.setAlpha(0);
        gradient.setColorAt(0, clear);
        gradient.setColorAt(1, theme.accent);
        p.fillRect(QRectF(0, qFloor(mid), lineRight, 1), gradient);
        const QPixmap arrow = Symbol::pixmap(QStringLiteral("arrow.right"), arrowSize, theme.accent,
                                             devicePixelRatioF(), Fonts::Weight::semibold);
        p.drawPixmap(QPointF(width() - arrowSize, mid - arrowSize / 2), arrow);
    }
};

} // namespace

CentreColumn::CentreColumn(AppState& state, QWidget* parent) : QWidget(parent), state_(state) {
    setObjectName(QStringLiteral("centreColumn"));
    setFixedWidth(columnWidth);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(sidePadding, 0, sidePadding, 0);
    column->setSpacing(spacing);
    column->addStretch(1);
    column->addWidget(new DirectionArrow(this));
    integrity_ = new IntegrityCard(this);
    column->addWidget(integrity_);
    start_ = new PrimaryButton(L10n::t("centercolumn.start"), this);
    start_->setObjectName(QStringLiteral("startButton"));
    column->addWidget(start_);
    summary_ = new TextLine(
        Fonts::mono(10.5), [](const Theme& t) { return t.faintGrey; }, Qt::AlignHCenter, this);
    summary_->setObjectName(QStringLiteral("pendingSummary"));
    column->addWidget(summary_);
    column->addStretch(1);

    connect(start_, &PrimaryButton::clicked, &state_, &AppState::startTransfer);
    connect(&state_, &AppState::sourcesChanged, this, &CentreColumn::refresh);
    connect(&state_, &AppState::destinationsChanged, this, &CentreColumn::refresh);
    connect(&state_, &AppState::startPendingChanged, this, &CentreColumn::refresh);
    alerts_ = new CentreAlerts(state_, this);
    refresh();
}

QString CentreColumn::pendingSummary() const {
    return summary_->text();
}

void CentreColumn::refresh() {
    // While the drives are being checked for a start, a second press would start it twice.
    start_->setEnabled(!state_.pendingSources().isEmpty() && !state_.destinations().isEmpty() &&
                       !state_.startPending());
    summary_->setText(state_.pendingSummaryLabel());
}

void CentreColumn::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange) {
        start_->setText(L10n::t("centercolumn.start"));
        refresh();
    }
    QWidget::changeEvent(event);
}
