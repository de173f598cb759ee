#pragma once
#include <QFont>
#include <QString>
#include <QWidget>

struct Theme;

/// A painted text in a theme colour: one line shortened in the middle, or wrapped paragraphs
/// with extra line spacing. The colour is looked up at paint time, so an appearance change
/// needs nothing more than the repaint it already causes. Main thread.
class ThemedText : public QWidget {
    Q_OBJECT
public:
    using ColourFunction = QColor (*)(const Theme&);

    ThemedText(const QFont& font, ColourFunction colour, QWidget* parent = nullptr);

    void setText(const QString& text);
    [[nodiscard]] const QString& text() const { return text_; }
    void setColour(ColourFunction colour);
    /// The colour the text is drawn in now.
    [[nodiscard]] QColor colour() const;
    /// Wrapped at word boundaries with `extraLineSpacing` pixels added between lines.
    void setWrapping(double extraLineSpacing);

    [[nodiscard]] QSize sizeHint() const override;
    [[nodiscard]] QSize minimumSizeHint() const override;
    [[nodiscard]] bool hasHeightForWidth() const override { return wraps_; }
    [[nodiscard]] int heightForWidth(int width) const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    /// Lays the text out in `width` and draws it when a painter is given; returns the height.
    double layoutText(double width, QPainter* painter) const;

    QFont font_;
    ColourFunction colour_;
    QString text_;
    bool wraps_ = false;
    double extraLineSpacing_ = 0;
};
