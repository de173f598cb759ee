#include "kit/FocusRing.h"

#include "kit/Theme.h"

#include <QApplication>
#include <QFocusEvent>
#include <QPainter>

namespace {

// Sits above the focused control in its parent, passing every click through.
class RingOverlay : public QWidget {
public:
    explicit RingOverlay(QWidget* parent) : QWidget(parent) {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_NoSystemBackground);
        setFocusPolicy(Qt::NoFocus);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(Theme::current().accent, 2));
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(QRectF(rect()).adjusted(1, 1, -1, -1), 8, 8);
    }
};

bool isInterruption(Qt::FocusReason reason) {
    return reason == Qt::PopupFocusReason || reason == Qt::ActiveWindowFocusReason;
}

bool isKeyboardReason(Qt::FocusReason reason) {
    return reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason ||
           reason == Qt::ShortcutFocusReason;
}

} // namespace

FocusRing::FocusRing(QObject* parent) : QObject(parent) {
    qApp->installEventFilter(this);
}

FocusRing::~FocusRing() {
    delete overlay_;
}

QWidget* FocusRing::target() const {
    return overlay_ && overlay_->isVisible() ? target_.data() : nullptr;
}

bool FocusRing::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::KeyPress:
        keyboardLast_ = true;
        break;
    case QEvent::MouseButtonPress:
    case QEvent::TouchBegin:
        keyboardLast_ = false;
        break;
    case QEvent::FocusIn:
        if (auto* widget = qobject_cast<QWidget*>(watched); widget && widget->hasFocus()) {
            const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
            if (widget == target_ && isInterruption(reason)) {
                place(); // back from a menu or another window: the ring stays
                break;
            }
            // A clicked button that disables itself hands the focus on as Tab would: no
            // ring for that either.
            follow(keyboardLast_ && isKeyboardReason(reason) ? widget : nullptr);
        }
        break;
    case QEvent::FocusOut:
        // A menu or another window taking the focus for a while leaves the ring in place.
        if (watched == target_ && !isInterruption(static_cast<QFocusEvent*>(event)->reason())) {
            follow(nullptr);
        }
        break;
    case QEvent::Move:
    case QEvent::Resize:
    case QEvent::Show:
    case QEvent::Hide:
    case QEvent::ZOrderChange:
        if (watched == target_) {
            place();
        }
        break;
    default:
        break;
    }
    return false;
}

void FocusRing::follow(QWidget* target) {
    target_ = target;
    QWidget* parent = target ? target->parentWidget() : nullptr;
    if (parent == nullptr || target->isWindow()) {
        if (overlay_) {
            overlay_->hide();
        }
        return;
    }
    if (!overlay_ || overlay_->parentWidget() != parent) {
        delete overlay_;
        overlay_ = new RingOverlay(parent);
    }
    place();
}

void FocusRing::place() {
    if (!overlay_ || !target_) {
        return;
    }
    if (!target_->isVisible()) {
        overlay_->hide();
        return;
    }
    overlay_->setGeometry(target_->geometry().adjusted(-outset, -outset, outset, outset));
    overlay_->show();
    overlay_->raise();
}
