#pragma once
#include <QFont>
#include <QString>
#include <QWidget>

#include <functional>

struct Theme;

/// One line of painted text, elided at the end when narrower than its text. The colour is
/// asked of the current theme at every paint, so it follows the appearance. Main thread.
class TextLine : public QWidget {
    Q_OBJECT
public:
    using Colour = std::function<QColor(const Theme&)>;

    TextLine(QFont font, Colour colour, Qt::Alignment alignment = Qt::AlignHCenter,
             QWidget* parent = nullptr);

    void setText(const QString& text);
    [[nodiscard]] const QString& text() const { return text_; }
    void setColour(Colour colour);
    /// Where a text too long for the line loses characters (the end by default).
    void setElideMode(Qt::TextElideMode mode);
    /// The widest the line asks for; longer texts are elided.
    void setMaximumTextWidth(int width);

    [[nodiscard]] QSize sizeHint() const override;
    [[nodiscard]] QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QFont font_;
    Colour colour_;
    Qt::Alignment alignment_;
    QString text_;
    int maximumTextWidth_ = QWIDGETSIZE_MAX;
    Qt::TextElideMode elideMode_ = Qt::ElideRight;
};
