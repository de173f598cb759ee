#include "ui/cards/DriveCheckStrip.h"

#include "kit/Buttons.h"
#include "kit/Fonts.h"
#include "kit/ProgressCapsule.h"
#include "kit/TextLine.h"
#include "kit/Theme.h"
#include "settings/DriveCheckText.h"
#include "settings/L10n.h"
#include "state/DriveCheckJob.h"

#include <QEvent>
#include <QPainter>
#include <QVBoxLayout>

namespace {
constexpr int barGap = 8;
} // namespace

DriveCheckStrip::DriveCheckStrip(int width, QWidget* parent)
    : QWidget(parent), status_(new TextLine(
                           Fonts::sans(11, Fonts::Weight::medium), [](const Theme& t) { return t.grey; },
                           Qt::AlignHCenter, this)),
      button_(new OutlineButton(QString(), 22, 10, 11, this)) {
    setObjectName(QStringLiteral("driveCheckStrip"));
    setFixedWidth(width);
    status_->setMaximumTextWidth(width);
    button_->setTint(Theme::current().accent);
    column_ = new QVBoxLayout(this);
    column_->setContentsMargins(0, 0, 0, 0);
    column_->setSpacing(10);
    column_->addWidget(status_);
    column_->addWidget(button_, 0, Qt::AlignHCenter);
    connect(button_, &QAbstractButton::clicked, this, [this] {
        if (checking_) {
            emit cancelRequested();
        } else {
            emit startRequested();
        }
    });
}

void DriveCheckStrip::setCheck(const DriveCheckJob* check, bool canStart, bool hasHashLog) {
    const bool checking = check != nullptr;
    const double fraction = check ? check->fraction() : 0;
    const bool nothingYet = !checking && !hasHashLog;
    const QString status = check        ? DriveCheckText::progress(check->fileIndex(), check->fileCount())
                           : nothingYet ? L10n::t("drivecheck.nothing_yet")
                                        : QString();
    const QString label = L10n::t(checking ? "drivecheck.cancel" : "drivecheck.verify");
    const bool buttonShown = checking || (canStart && hasHashLog);
    if (checking == checking_ && fraction == fraction_ && status == status_->text() &&
        label == button_->text() && buttonShown == !button_->isHidden()) {
        return; // called on every change of any job; repaint only for this drive
    }
    checking_ = checking;
    fraction_ = fraction;
    status_->setText(status);
    button_->setText(label);
    button_->updateGeometry();
    button_->setVisible(buttonShown);
    // While checking, the capsule is painted in the room above the status line.
    status_->setVisible(checking_ || nothingYet);
    column_->setContentsMargins(0, checking_ ? static_cast<int>(ProgressCapsule::height) + barGap : 0, 0, 0);
    update();
}

QString DriveCheckStrip::statusText() const {
    return status_->text();
}

void DriveCheckStrip::paintEvent(QPaintEvent*) {
    if (!checking_) {
        return;
    }
    const Theme& theme = Theme::current();
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const ProgressCapsule bar{fraction_, theme.overlay(0.05, 0.05), theme.blue};
    bar.paint(p, QRectF(0, 0, width(), ProgressCapsule::height));
}

void DriveCheckStrip::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange) {
        button_->setTint(Theme::current().accent);
    }
}
