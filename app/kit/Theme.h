#pragma once
#include <QColor>
#include <QObject>
#include <QPalette>

class Appearance;

/// Announces a switch of appearance, after the application's palette changed. Widgets that
/// keep a palette of their own hear no palette event from the application, so they listen
/// here. Main thread.
class ThemeNotifier : public QObject {
    Q_OBJECT
public:
    [[nodiscard]] static ThemeNotifier& instance();

signals:
    void changed();
};

/// The colours of one appearance. Every view takes its colours from Theme::current(),
/// which follows Appearance::isLight. Main thread.
struct Theme {
    bool isLight = false;

    QColor mainText;          ///< 23 / 235
    QColor grey;              ///< 94 / 144
    QColor midGrey;           ///< 138 / 99
    QColor faintGrey;         ///< 166 / 78
    QColor green;             ///< 18,138,76 / 74,222,128
    QColor red;               ///< 192,57,43 / 255,107,107
    QColor blue;              ///< 0,114,216 in both
    QColor accent;            ///< 0,99,188 / 107,180,245
    QColor windowBackground;  ///< 238 / 11
    QColor card;              ///< 246,246,246 / 26,26,27
    QColor browserBackground; ///< white / near-black

    /// Black at `light` opacity in the light appearance, white at `dark` opacity in the dark.
    [[nodiscard]] QColor overlay(double light, double dark) const;
    /// The Fusion palette for this appearance.
    [[nodiscard]] QPalette palette() const;

    [[nodiscard]] static Theme forAppearance(bool isLight);
    [[nodiscard]] static const Theme& current();
    /// Switches the current theme and the application's palette (QApplication must exist).
    static void apply(bool isLight);
    /// Applies the appearance's choice now and again whenever it changes.
    static void follow(const Appearance& appearance);
};
