#pragma once
#include <QPointer>
#include <QWidget>

#include <optional>

/// The lower half of the window: the file browser, a 15-wide divider, and the transfers panel
/// exactly width() wide. Dragging the divider resizes the two panels (nothing else is rebuilt)
/// and the width is stored under "transfersPanelWidth" when the drag ends. The divider takes
/// the keyboard focus and moves with the arrow keys too. Main thread.
class BottomSplit : public QWidget {
    Q_OBJECT
public:
    static constexpr double gap = 15;
    static constexpr double minBrowser = 420;
    static constexpr double minTransfers = 300;
    static constexpr double defaultWidth = 452;
    static constexpr const char* preferenceKey = "transfersPanelWidth";

    explicit BottomSplit(QWidget* parent = nullptr);

    /// Replaces the left panel; the split owns it (the previous one is deleted). Null restores
    /// the placeholder.
    void setBrowserPanel(QWidget* panel);
    /// Replaces the right panel, as setBrowserPanel.
    void setTransfersPanel(QWidget* panel);
    [[nodiscard]] QWidget* browserPanel() const { return browser_; }
    [[nodiscard]] QWidget* transfersPanel() const { return transfers_; }
    [[nodiscard]] QWidget* divider() const { return divider_; }

    /// The transfers panel's width in logical pixels (the stored width once shown).
    [[nodiscard]] double transfersWidth() const { return width_; }

    /// The width a drag proposes, clamped: at least minTransfers, and at most what leaves the
    /// browser minBrowser (but never below minTransfers), rounded to a whole pixel.
    [[nodiscard]] static double clampedWidth(double proposed, double available);

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    friend class SplitDivider;
    void dragMoved(double dx);
    void dragEnded();
    /// Widens the transfers panel by `widthChange` (narrows it when negative), clamped as a
    /// drag is, and stores the width.
    void moveBy(double widthChange);
    void storeWidth();
    void relayout();
    void replace(QPointer<QWidget>& slot, QWidget* panel);

    QPointer<QWidget> browser_;
    QPointer<QWidget> transfers_;
    QWidget* divider_;
    double width_ = defaultWidth;
    std::optional<double> startWidth_;
    bool loadedStoredWidth_ = false;
};
