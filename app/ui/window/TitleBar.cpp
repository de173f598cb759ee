#include "ui/window/TitleBar.h"

#include "kit/Fonts.h"
#include "kit/RenderStats.h"
#include "kit/Symbol.h"
#include "kit/Theme.h"
#include "settings/L10n.h"
#include "stowline/Verifier.h"
#include "ui/window/Brand.h"

#include <QAbstractButton>
#include <QEvent>
#include <QHBoxLayout>
#include <QPainter>
#include <QPainterPath>

namespace {

constexpr double logoHeight = 17;
constexpr int pillHeight = 26;
constexpr double pillPadding = 10;
constexpr double pillSymbolSize = 13;
constexpr double pillSymbolGap = 6;
constexpr int settingsSide = 28;
constexpr double settingsRadius = 8;
constexpr double settingsSymbolSize = 13;

/// The lockup for the current appearance, or the name in text when the drawing is missing.
class Wordmark : public QWidget {
public:
    explicit Wordmark(QWidget* parent) : QWidget(parent) {
        setObjectName(QStringLiteral("wordmark"));
        setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    }
    QSize sizeHint() const override {
        if (!logo().isNull()) {
            return {qCeil(logoHeight * Brand::aspectRatio), qCeil(logoHeight)};
        }
        const QFontMetrics fm(textFont());
        return {fm.horizontalAdvance(text()) + 2, fm.height()};
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        const QPixmap image = logo();
        if (!image.isNull()) {
            const QSizeF size = image.deviceIndependentSize();
            p.drawPixmap(QPointF(0, (height() - size.height()) / 2), image);
            return;
        }
        p.setPen(Theme::current().mainText);
        p.setFont(textFont());
        p.drawText(rect(), Qt::AlignLeft | Qt::AlignVCenter, text());
    }

private:
    QPixmap logo() const {
        const auto variant = Theme::current().isLight ? Brand::Variant::light : Brand::Variant::dark;
        return Brand::lockup(variant, logoHeight, devicePixelRatioF());
    }
    static QFont textFont() { return Fonts::sans(15, Fonts::Weight::heavy, 0.2); }
    static QString text() { return QStringLiteral("Stowline"); }
};

/// Capsule naming the checksum every copy is verified with.
class AlgorithmPill : public QWidget {
public:
    explicit AlgorithmPill(QWidget* parent) : QWidget(parent) {
        setObjectName(QStringLiteral("algorithmPill"));
        setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    }
    QSize sizeHint() const override {
        const QFontMetrics fm(textFont());
        return {qCeil(2 * pillPadding + pillSymbolSize + pillSymbolGap + fm.horizontalAdvance(text())),
                pillHeight};
    }

protected:
    void paintEvent(QPaintEvent*) override {
        const Theme& theme = Theme::current();
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        const QRectF r(rect());
        QPainterPath capsule;
        capsule.addRoundedRect(r, r.height() / 2, r.height() / 2);
        QColor fill = theme.accent;
        fill.setAlphaF(theme.isLight ? 0.10f : 0.14f);
        p.fillPath(capsule, fill);

        const QPixmap shield = Symbol::pixmap(QStringLiteral("checkmark.shield"), pillSymbolSize,
                                              theme.accent, devicePixelRatioF());
        p.drawPixmap(QPointF(pillPadding, (r.height() - pillSymbolSize) / 2), shield);
        p.setPen(theme.accent);
        p.setFont(textFont());
        const QRectF textRect(pillPadding + pillSymbolSize + pillSymbolGap, 0, r.width(), r.height());
        p.drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter, text());
    }

private:
    static QFont textFont() { return Fonts::mono(11, Fonts::Weight::medium); }
    static QString text() {
        return QString::fromLatin1(stowline::Verifier::algorithmName.data(),
                                   static_cast<qsizetype>(stowline::Verifier::algorithmName.size()));
    }
};

class SettingsButton : public QAbstractButton {
public:
    explicit SettingsButton(QWidget* parent) : QAbstractButton(parent) {
        setObjectName(QStringLiteral("settingsButton"));
        setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
        setAttribute(Qt::WA_Hover);
        setFocusPolicy(Qt::TabFocus);
    }
    QSize sizeHint() const override { return {settingsSide, settingsSide}; }

protected:
    bool event(QEvent* e) override {
        if (e->type() == QEvent::HoverEnter || e->type() == QEvent::HoverLeave) {
            update();
        }
        return QAbstractButton::event(e);
    }
    void paintEvent(QPaintEvent*) override {
        const Theme& theme = Theme::current();
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        const QRectF r(rect());
        QColor fill = theme.overlay(0.05, 0.06);
        if (isDown()) {
            fill = theme.overlay(0.12, 0.14);
        } else if (underMouse()) {
            fill = theme.overlay(0.08, 0.10);
        }
        QPainterPath square;
        square.addRoundedRect(r, settingsRadius, settingsRadius);
        p.fillPath(square, fill);
        const QPixmap gear = Symbol::pixmap(QStringLiteral("gearshape"), settingsSymbolSize, theme.grey,
                                            devicePixelRatioF(), Fonts::Weight::medium);
        p.drawPixmap(QPointF((r.width() - settingsSymbolSize) / 2, (r.height() - settingsSymbolSize) / 2),
                     gear);
    }
};

} // namespace

TitleBar::TitleBar(QWidget* parent) : QWidget(parent) {
    RenderStats::tick("TitleBar");
    setFixedHeight(height);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(14, 0, 14, 0);
    row->setSpacing(12);
    wordmark_ = new Wordmark(this);
    pill_ = new AlgorithmPill(this);
    settings_ = new SettingsButton(this);
    row->addWidget(wordmark_, 0, Qt::AlignVCenter);
    row->addStretch(1);
    row->addWidget(pill_, 0, Qt::AlignVCenter);
    row->addWidget(settings_, 0, Qt::AlignVCenter);
    connect(settings_, &QAbstractButton::clicked, this, &TitleBar::settingsRequested);
    retranslate();
}

void TitleBar::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange) {
        RenderStats::tick("TitleBar");
        retranslate();
    }
    QWidget::changeEvent(event);
}

void TitleBar::retranslate() {
    settings_->setToolTip(L10n::t("titlebar.settings"));
    settings_->setAccessibleName(L10n::t("titlebar.settings"));
}
