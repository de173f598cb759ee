#include "ui/window/BottomSplit.h"

#include "kit/KeyedLabel.h"
#include "kit/RenderStats.h"
#include "kit/Theme.h"
#include "settings/Preferences.h"
#include "ui/panels/PanelPlaceholder.h"

#include <QEasingCurve>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QVariantAnimation>

#include <cmath>

namespace {

constexpr double capsuleWidth = 3;
constexpr double capsuleHeight = 44;
constexpr int hoverAnimationMs = 120;
constexpr double keyStep = 10;

QColor mix(const QColor& from, const QColor& to, double t) {
    const auto channel = [t](int a, int b) { return qRound(a + (b - a) * t); };
    return QColor(channel(from.red(), to.red()), channel(from.green(), to.green()),
                  channel(from.blue(), to.blue()), channel(from.alpha(), to.alpha()));
}

/// A stored width from an older run or edited by hand: anything unusable falls back to the
/// default, and nothing is narrower than a drag could make it.
double sanitisedStoredWidth(const QVariant& value) {
    bool ok = false;
    const double width = value.toDouble(&ok);
    if (!ok || !std::isfinite(width) || width <= 0) {
        return BottomSplit::defaultWidth;
    }
    return std::max(width, BottomSplit::minTransfers);
}

} // namespace

/// The strip between the two panels with its capsule handle.
class SplitDivider : public QWidget {
public:
    explicit SplitDivider(BottomSplit* split) : QWidget(split), split_(split) {
        setObjectName(QStringLiteral("splitDivider"));
        setCursor(Qt::SplitHCursor);
        setMouseTracking(true);
        // The arrow keys move it as a drag does; Home and End take it to either end.
        setFocusPolicy(Qt::TabFocus);
        KeyedLabel::attach(this, "bottomsplit.resize");
        hover_.setDuration(hoverAnimationMs);
        hover_.setEasingCurve(QEasingCurve::OutCubic);
        QObject::connect(&hover_, &QVariantAnimation::valueChanged, this, [this](const QVariant& v) {
            hoverProgress_ = v.toDouble();
            update();
        });
    }

    /// 0 when idle, 1 while the pointer is over the divider (animated in between).
    double hoverProgress() const { return hoverProgress_; }

protected:
    void paintEvent(QPaintEvent*) override {
        const Theme& theme = Theme::current();
        QPainter p(this);
        p.fillRect(rect(), theme.windowBackground);
        p.setRenderHint(QPainter::Antialiasing);
        const QRectF capsule((width() - capsuleWidth) / 2, (height() - capsuleHeight) / 2, capsuleWidth,
                             capsuleHeight);
        QPainterPath path;
        path.addRoundedRect(capsule, capsuleWidth / 2, capsuleWidth / 2);
        p.fillPath(path, mix(theme.faintGrey, theme.accent, hoverProgress_));
    }
    void keyPressEvent(QKeyEvent* event) override {
        // Moving the divider left widens the transfers panel, as dragging does; the split's
        // whole width reaches either end.
        const double far = split_->width();
        switch (event->key()) {
        case Qt::Key_Left:
            split_->moveBy(keyStep);
            break;
        case Qt::Key_Right:
            split_->moveBy(-keyStep);
            break;
        case Qt::Key_Home:
            split_->moveBy(far);
            break;
        case Qt::Key_End:
            split_->moveBy(-far);
            break;
        default:
            QWidget::keyPressEvent(event);
        }
    }
    void enterEvent(QEnterEvent*) override { animateHover(1.0); }
    void leaveEvent(QEvent*) override { animateHover(0.0); }
    void mousePressEvent(QMouseEvent* event) override {
        if (event->button() != Qt::LeftButton) {
            return;
        }
        pressX_ = event->globalPosition().x();
        pressY_ = event->globalPosition().y();
        dragging_ = false;
        pressed_ = true;
    }
    void mouseMoveEvent(QMouseEvent* event) override {
        if (!pressed_) {
            return;
        }
        const double dx = event->globalPosition().x() - pressX_;
        const double dy = event->globalPosition().y() - pressY_;
        // A drag begins once the pointer has moved at least one pixel.
        if (!dragging_ && std::hypot(dx, dy) < 1.0) {
            return;
        }
        dragging_ = true;
        split_->dragMoved(dx);
    }
    void mouseReleaseEvent(QMouseEvent* event) override {
        if (event->button() != Qt::LeftButton || !pressed_) {
            return;
        }
        pressed_ = false;
        if (dragging_) {
            dragging_ = false;
            split_->dragEnded();
        }
    }

private:
    void animateHover(double target) {
        hover_.stop();
        hover_.setStartValue(hoverProgress_);
        hover_.setEndValue(target);
        hover_.start();
    }

    BottomSplit* split_;
    QVariantAnimation hover_;
    double hoverProgress_ = 0;
    double pressX_ = 0;
    double pressY_ = 0;
    bool pressed_ = false;
    bool dragging_ = false;
};

BottomSplit::BottomSplit(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("bottomSplit"));
    divider_ = new SplitDivider(this);
    setBrowserPanel(nullptr);
    setTransfersPanel(nullptr);
}

void BottomSplit::setBrowserPanel(QWidget* panel) {
    if (panel == nullptr) {
        panel = new PanelPlaceholder([](const Theme& t) { return t.browserBackground; }, 14);
        panel->setObjectName(QStringLiteral("browserPlaceholder"));
    }
    replace(browser_, panel);
}

void BottomSplit::setTransfersPanel(QWidget* panel) {
    if (panel == nullptr) {
        panel = new PanelPlaceholder([](const Theme& t) { return t.windowBackground; }, 0);
        panel->setObjectName(QStringLiteral("transfersPlaceholder"));
    }
    replace(transfers_, panel);
}

void BottomSplit::replace(QPointer<QWidget>& slot, QWidget* panel) {
    if (slot == panel) {
        return;
    }
    delete slot.data();
    slot = panel;
    panel->setParent(this);
    panel->show();
    relayout();
}

double BottomSplit::clampedWidth(double proposed, double available) {
    const double upper = std::max(minTransfers, available - gap - minBrowser);
    return std::round(std::min(upper, std::max(proposed, minTransfers)));
}

void BottomSplit::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!loadedStoredWidth_) {
        loadedStoredWidth_ = true;
        width_ = sanitisedStoredWidth(Preferences::store().value(QLatin1String(preferenceKey)));
        relayout();
    }
}

void BottomSplit::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    relayout();
}

void BottomSplit::dragMoved(double dx) {
    if (!startWidth_) {
        startWidth_ = width_;
    }
    const double next = clampedWidth(*startWidth_ - dx, QWidget::width());
    if (next != width_) {
        width_ = next;
        relayout();
    }
}

void BottomSplit::moveBy(double widthChange) {
    const double next = clampedWidth(width_ + widthChange, QWidget::width());
    if (next != width_) {
        width_ = next;
        relayout();
        storeWidth();
    }
}

void BottomSplit::dragEnded() {
    startWidth_.reset();
    storeWidth();
}

void BottomSplit::storeWidth() {
    Preferences::store().setValue(QLatin1String(preferenceKey), width_);
    Preferences::save();
}

void BottomSplit::relayout() {
    RenderStats::tick("BottomSplit");
    const int available = QWidget::width();
    const int h = height();
    // The transfers panel is exactly width_ wide, except that the divider never leaves the
    // split: a width stored on a wider screen would otherwise hide it out of reach.
    const int transfers = qRound(std::min(width_, std::max(minTransfers, available - gap)));
    const int gapPixels = static_cast<int>(gap);
    const int browser = std::max(0, available - gapPixels - transfers);
    if (browser_) {
        browser_->setGeometry(0, 0, browser, h);
    }
    divider_->setGeometry(browser, 0, gapPixels, h);
    if (transfers_) {
        transfers_->setGeometry(browser + gapPixels, 0, transfers, h);
    }
}
