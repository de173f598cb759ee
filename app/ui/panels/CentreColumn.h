#pragma once
#include <QWidget>

class AppState;
class CentreAlerts;
class IntegrityCard;
class PrimaryButton;
class TextLine;

/// Between the two slot panels: the direction arrow, the integrity card, the start button
/// (enabled exactly when a pending source and a destination exist) and the pending
/// summary; it also owns the start and disk-full alerts. Holds no state of its own.
class CentreColumn : public QWidget {
    Q_OBJECT
public:
    explicit CentreColumn(AppState& state, QWidget* parent = nullptr);

    [[nodiscard]] PrimaryButton* startButton() const { return start_; }
    [[nodiscard]] QString pendingSummary() const;

protected:
    void changeEvent(QEvent* event) override;

private:
    void refresh();

    AppState& state_;
    IntegrityCard* integrity_;
    PrimaryButton* start_;
    TextLine* summary_;
    CentreAlerts* alerts_;
};
