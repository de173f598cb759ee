#pragma once
#include <QWidget>

class BottomSplit;
class SlotHost;
class TitleBar;

/// The window's content, top to bottom on the window background: the title bar; the upper
/// row (source panel | centre column 250 wide | destination panel, 360 high); the lower split
/// (file browser | transfers panel). Each region holds a placeholder until its panel is set.
/// Main thread.
class MainView : public QWidget {
    Q_OBJECT
    Q_PROPERTY(bool showsSettings READ showsSettings WRITE setShowsSettings NOTIFY showsSettingsChanged)
public:
    static constexpr int upperRowHeight = 360;
    static constexpr int centreColumnWidth = 250;

    explicit MainView(QWidget* parent = nullptr);

    /// Each setter hands the panel to the view (it is reparented and owned; the previous
    /// panel of the region is deleted). Null puts the placeholder back.
    void setSourcePanel(QWidget* panel);
    void setCentreColumn(QWidget* column);
    void setDestinationPanel(QWidget* panel);
    void setBrowserPanel(QWidget* panel);
    void setTransfersPanel(QWidget* panel);

    [[nodiscard]] QWidget* sourcePanel() const;
    [[nodiscard]] QWidget* centreColumn() const;
    [[nodiscard]] QWidget* destinationPanel() const;
    [[nodiscard]] TitleBar* titleBar() const { return titleBar_; }
    [[nodiscard]] BottomSplit* bottomSplit() const { return split_; }

    /// True while the settings sheet should be shown; the title bar's button sets it, the
    /// sheet clears it when dismissed.
    [[nodiscard]] bool showsSettings() const { return showsSettings_; }
    void setShowsSettings(bool shows);

signals:
    void showsSettingsChanged(bool shows);

protected:
    void changeEvent(QEvent* event) override;

private:
    TitleBar* titleBar_;
    SlotHost* source_;
    SlotHost* centre_;
    SlotHost* destination_;
    BottomSplit* split_;
    bool showsSettings_ = false;
};
