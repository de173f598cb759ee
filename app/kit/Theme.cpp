#include "kit/Theme.h"

#include "settings/Appearance.h"

#include <QApplication>

namespace {

Theme makeTheme(bool isLight) {
    Theme t;
    t.isLight = isLight;
    t.mainText = isLight ? QColor(23, 23, 23) : QColor(235, 235, 235);
    t.grey = isLight ? QColor(94, 94, 94) : QColor(144, 144, 144);
    t.midGrey = isLight ? QColor(138, 138, 138) : QColor(99, 99, 99);
    t.faintGrey = isLight ? QColor(166, 166, 166) : QColor(78, 78, 78);
    t.green = isLight ? QColor(18, 138, 76) : QColor(74, 222, 128);
    t.red = isLight ? QColor(192, 57, 43) : QColor(255, 107, 107);
    t.blue = QColor(0, 114, 216);
    t.accent = isLight ? QColor(0, 99, 188) : QColor(107, 180, 245);
    t.windowBackground = isLight ? QColor(238, 238, 238) : QColor(11, 11, 11);
    t.card = isLight ? QColor(246, 246, 246) : QColor(26, 26, 27);
    t.browserBackground = isLight ? QColor(255, 255, 255) : QColor(20, 20, 21);
    return t;
}

Theme& currentTheme() {
    // Dark until the application applies the stored appearance.
    static Theme theme = makeTheme(false);
    return theme;
}

} // namespace

QColor Theme::overlay(double light, double dark) const {
    QColor c = isLight ? QColor(0, 0, 0) : QColor(255, 255, 255);
    c.setAlphaF(static_cast<float>(isLight ? light : dark));
    return c;
}

QPalette Theme::palette() const {
    QPalette p;
    const QColor base = browserBackground;
    const QColor alternate = isLight ? QColor(244, 244, 244) : QColor(28, 28, 29);
    const QColor button = isLight ? QColor(228, 228, 228) : QColor(38, 38, 40);
    const QColor highlightedText = isLight ? QColor(255, 255, 255) : QColor(11, 11, 11);
    const QColor tooltipBase = isLight ? QColor(255, 255, 255) : QColor(40, 40, 42);

    p.setColor(QPalette::Window, windowBackground);
    p.setColor(QPalette::WindowText, mainText);
    p.setColor(QPalette::Base, base);
    p.setColor(QPalette::AlternateBase, alternate);
    p.setColor(QPalette::Text, mainText);
    p.setColor(QPalette::PlaceholderText, midGrey);
    p.setColor(QPalette::Button, button);
    p.setColor(QPalette::ButtonText, mainText);
    p.setColor(QPalette::BrightText, red);
    p.setColor(QPalette::Highlight, accent);
    p.setColor(QPalette::HighlightedText, highlightedText);
    p.setColor(QPalette::Link, accent);
    p.setColor(QPalette::LinkVisited, accent);
    p.setColor(QPalette::ToolTipBase, tooltipBase);
    p.setColor(QPalette::ToolTipText, mainText);
    p.setColor(QPalette::Light, isLight ? QColor(255, 255, 255) : QColor(60, 60, 62));
    p.setColor(QPalette::Midlight, isLight ? QColor(235, 235, 235) : QColor(48, 48, 50));
    p.setColor(QPalette::Mid, isLight ? QColor(190, 190, 190) : QColor(30, 30, 32));
    p.setColor(QPalette::Dark, isLight ? QColor(160, 160, 160) : QColor(20, 20, 21));
    p.setColor(QPalette::Shadow, QColor(0, 0, 0));

    for (const auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
        p.setColor(QPalette::Disabled, role, faintGrey);
    }
    p.setColor(QPalette::Disabled, QPalette::Highlight, midGrey);
    return p;
}

Theme Theme::forAppearance(bool isLight) {
    return makeTheme(isLight);
}

const Theme& Theme::current() {
    return currentTheme();
}

void Theme::apply(bool isLight) {
    currentTheme() = makeTheme(isLight);
    // Setting the palette sends every widget a PaletteChange, so painted widgets repaint with
    // the new colours and widgets caching tinted pixmaps can drop them.
    QApplication::setPalette(currentTheme().palette());
    emit ThemeNotifier::instance().changed();
}

ThemeNotifier& ThemeNotifier::instance() {
    static ThemeNotifier notifier;
    return notifier;
}

void Theme::follow(const Appearance& appearance) {
    apply(appearance.isLight());
    QObject::connect(&appearance, &Appearance::isLightChanged, &appearance,
                     [&appearance] { apply(appearance.isLight()); });
}
