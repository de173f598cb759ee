#include "ui/panels/IntegrityCard.h"

#include "kit/Fonts.h"
#include "kit/Symbol.h"
#include "kit/Theme.h"
#include "settings/L10n.h"
#include "stowline/Verifier.h"

#include <QEvent>
#include <QPainter>
#include <QPainterPath>
#include <QTextLayout>
#include <QtMath>

namespace {

constexpr double padding = 14;
constexpr double radius = 12;
constexpr double shieldSize = 13;
constexpr double headerGap = 7;
constexpr double headerBelow = 10;
constexpr double bodyLineSpacing = 4;
constexpr double algorithmAbove = 9;

QFont labelFont() {
    return Fonts::sans(10, Fonts::Weight::heavy, 1.8);
}
QFont bodyFont() {
    return Fonts::sans(12.5, Fonts::Weight::bold);
}
QFont algorithmFont() {
    return Fonts::mono(10.5);
}
double headerHeight() {
    return qMax(shieldSize, QFontMetricsF(labelFont()).height());
}

} // namespace

IntegrityCard::IntegrityCard(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("integrityCard"));
    QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
    readTexts();
}

void IntegrityCard::readTexts() {
    label_ = L10n::t("centercolumn.integrity.label");
    body_ = L10n::t("centercolumn.integrity.body");
    const auto name = stowline::Verifier::algorithmName;
    algorithm_ = L10n::t("centercolumn.integrity.algo",
                         {QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size()))});
}

void IntegrityCard::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange) {
        readTexts();
        updateGeometry();
        update();
    }
    QWidget::changeEvent(event);
}

double IntegrityCard::body(double width, QPainter* painter, QPointF origin) const {
    QTextLayout layout(body_, bodyFont());
    QTextOption option;
    option.setWrapMode(QTextOption::WordWrap);
    layout.setTextOption(option);
    layout.beginLayout();
    double y = 0;
    bool first = true;
    while (true) {
        QTextLine line = layout.createLine();
        if (!line.isValid()) {
            break;
        }
        if (!first) {
            y += bodyLineSpacing;
        }
        first = false;
        line.setLineWidth(width);
        line.setPosition(QPointF(0, y));
        y += line.height();
    }
    layout.endLayout();
    if (painter != nullptr) {
        layout.draw(painter, origin);
    }
    return y;
}

int IntegrityCard::heightForWidth(int width) const {
    const double inner = width - 2 * padding;
    const double h = padding + headerHeight() + headerBelow + body(inner, nullptr, {}) + algorithmAbove +
                     QFontMetricsF(algorithmFont()).height() + padding;
    return qCeil(h);
}

QSize IntegrityCard::sizeHint() const {
    const int width = 222;
    return {width, heightForWidth(width)};
}

void IntegrityCard::paintEvent(QPaintEvent*) {
    const Theme& theme = Theme::current();
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath box;
    box.addRoundedRect(QRectF(rect()), radius, radius);
    p.fillPath(box, theme.overlay(0.035, 0.04));

    const double header = headerHeight();
    double y = padding;
    const QPixmap shield = Symbol::pixmap(QStringLiteral("checkmark.shield"), shieldSize, theme.green,
                                          devicePixelRatioF(), Fonts::Weight::semibold);
    p.drawPixmap(QPointF(padding, y + (header - shieldSize) / 2), shield);
    p.setFont(labelFont());
    p.setPen(theme.midGrey);
    p.drawText(QRectF(padding + shieldSize + headerGap, y, width(), header), Qt::AlignLeft | Qt::AlignVCenter,
               label_);
    y += header + headerBelow;

    p.setPen(theme.mainText);
    y += body(width() - 2 * padding, &p, QPointF(padding, y));
    y += algorithmAbove;

    p.setFont(algorithmFont());
    p.setPen(theme.midGrey);
    p.drawText(QRectF(padding, y, width() - 2 * padding, QFontMetricsF(algorithmFont()).height()),
               Qt::AlignLeft | Qt::AlignVCenter, algorithm_);
}
