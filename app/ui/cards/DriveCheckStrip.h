#pragma once
#include <QWidget>

class DriveCheckJob;
class OutlineButton;
class QVBoxLayout;
class TextLine;

/// Under a destination's hero card: "Verify Again", or while the drive is being checked a
/// progress capsule, how far it got and "Cancel". Main thread.
class DriveCheckStrip : public QWidget {
    Q_OBJECT
public:
    explicit DriveCheckStrip(int width, QWidget* parent = nullptr);

    /// `check` is the running check of the item (null: none); `canStart` whether one may
    /// start now; without a hash log on the drive a neutral "nothing to check yet" stands in
    /// for the button. Texts are read afresh.
    void setCheck(const DriveCheckJob* check, bool canStart, bool hasHashLog = true);

    [[nodiscard]] OutlineButton* button() const { return button_; }
    [[nodiscard]] QString statusText() const;
    [[nodiscard]] bool isChecking() const { return checking_; }

signals:
    void startRequested();
    void cancelRequested();

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    QVBoxLayout* column_;
    TextLine* status_;
    OutlineButton* button_;
    double fraction_ = 0;
    bool checking_ = false;
};
