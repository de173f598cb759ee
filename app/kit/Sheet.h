#pragma once
#include <QDialog>

class QHBoxLayout;

#include <functional>

/// A window-modal sheet of a fixed size on the card colour, whose texts follow a change of
/// language. Subclasses build their content and set their texts in retranslate(). Main thread.
class Sheet : public QDialog {
    Q_OBJECT
public:
    /// Runs `onReject` (when given), then closes: Escape and the sheets' close buttons.
    void reject() override;

protected:
    /// `onReject` lets the owner of what the sheet shows let go of it.
    Sheet(const QString& objectName, QSize size, QWidget* parent, std::function<void()> onReject = {});

    virtual void retranslate() = 0;
    /// The title over a subtitle on the left, `close` in the top right corner; `inset` is
    /// the sheet's side padding.
    [[nodiscard]] static QHBoxLayout* titleHeader(QWidget* title, QWidget* subtitle, QWidget* close,
                                                  int inset);
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    std::function<void()> onReject_;
};
