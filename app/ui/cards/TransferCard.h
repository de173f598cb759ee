#pragma once
#include "kit/RemoveBadge.h"
#include "ui/cards/CardState.h"

#include <QPixmap>
#include <QPointer>
#include <QRegion>
#include <QStringList>
#include <QUuid>
#include <QWidget>

#include <utility>

class AppState;
class CircleIconButton;
class DriveCheckJob;
class QAbstractButton;
class QTimer;
class QVariantAnimation;
class RevealService;
class TransferJob;

/// One destination row of one job: icon, "label → destination", the progress capsule, the
/// status line and the buttons that fit the job's phase; a remove badge on hover once the
/// job has ended. Once it has written its hash log here, "checkmark.shield" checks the
/// destination again against its hash lists; while that runs the bar and status line show the check and
/// "stop.fill" cancels it. Repaints when its own job or a drive check changes. Main thread.
class TransferCard : public QWidget {
    Q_OBJECT
public:
    /// Room around the painted card on the top and right, where the remove badge overhangs.
    static constexpr int badgeOverhang = 8;

    /// `job` must be listed in `state`; the card stops reacting once the job is gone.
    TransferCard(AppState& state, TransferJob* job, const QUuid& rowID, RevealService& reveal,
                 QWidget* parent = nullptr);

    [[nodiscard]] TransferJob* job() const { return job_; }
    [[nodiscard]] const QUuid& rowID() const { return rowID_; }

    /// What the card shows now (also what tests read).
    [[nodiscard]] CardState state() const;
    /// "sources → destination", as the title line shows it.
    [[nodiscard]] QString titleText() const;
    /// The bar's fraction 0…1 (the job's, or its running check's).
    [[nodiscard]] double progress() const;
    [[nodiscard]] QString leadingText() const;
    [[nodiscard]] QString trailingText() const;
    [[nodiscard]] QColor barColour() const;
    /// The symbols of the visible buttons, left to right.
    [[nodiscard]] QStringList buttonSymbols() const;
    [[nodiscard]] QAbstractButton* button(const QString& symbol) const;
    [[nodiscard]] QAbstractButton* removeBadge() const { return badge_; }
    /// True while the bar is still moving towards the job's percentage.
    [[nodiscard]] bool isAnimating() const;

    /// The widths the title gives the sources label and the destination name, given their
    /// full widths and the room between icon and buttons (minus the arrow).
    [[nodiscard]] static std::pair<double, double> titleWidths(double label, double destination,
                                                               double available);
    /// The title as drawn at the card's width ("→" standing for the arrow symbol).
    [[nodiscard]] QString shownTitle() const;
    /// Whether the title has a line of its own across the card, above icon, bar and buttons:
    /// at widths where the room beside them cannot hold both names whole.
    [[nodiscard]] bool titleOnTop() const;

    [[nodiscard]] QSize sizeHint() const override;
    [[nodiscard]] QSize minimumSizeHint() const override;
    [[nodiscard]] bool hasHeightForWidth() const override { return true; }
    [[nodiscard]] int heightForWidth(int width) const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    [[nodiscard]] const TransferJob::DestinationStatus* row() const;
    /// The running check of this row's destination, or null.
    [[nodiscard]] const DriveCheckJob* check() const;
    /// Whether "checkmark.shield" is offered now.
    [[nodiscard]] bool offersCheck() const;
    [[nodiscard]] QRectF cardRect() const;
    /// The room between the icon and the leftmost visible button of a card `cardWidth` wide.
    [[nodiscard]] double columnWidth(int cardWidth) const;
    [[nodiscard]] bool titleOnTop(int cardWidth) const;
    /// The sources label and destination name cut to share a line `width` wide.
    [[nodiscard]] std::pair<QString, QString> titleTexts(double width) const;
    /// Where the icon, the title line, the bar and the status line are painted.
    struct Lines {
        QRectF icon, title, bar, status;
    };
    [[nodiscard]] Lines lines() const;
    /// The bar and the status line: all that a job's phase, rows or a drive check change on
    /// the card (a change of buttons repaints it whole).
    [[nodiscard]] QRectF changingLines() const;
    /// Repaints `part` with the next frame: at most 30 frames a second, in step with the other cards.
    void repaintSoon(const QRectF& part);
    void connectJob();
    void animateTo(double pct);
    void updateControls();
    void layoutButtons();
    void paintTitle(QPainter& painter, const QRectF& line) const;
    void paintStatus(QPainter& painter, const QRectF& line) const;

    AppState& state_;
    QPointer<TransferJob> job_;
    QUuid rowID_;
    RevealService& reveal_;
    QPixmap icon_;
    double shownPct_ = 0;
    QVariantAnimation* animation_;
    QTimer* frame_; ///< fires at the next frame while parts wait in `dirty_`
    QRegion dirty_; ///< the parts that changed since the last frame
    CircleIconButton* pause_;
    CircleIconButton* stop_;
    CircleIconButton* report_;
    CircleIconButton* verify_;
    CircleIconButton* revealButton_;
    RemoveBadge* badge_;
    bool hovered_ = false;
    bool showedCheck_ = false;
};
