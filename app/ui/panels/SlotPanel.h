#pragma once
#include "state/DestItem.h"
#include "state/SourceItem.h"

#include <QList>
#include <QUuid>
#include <QVariantAnimation>
#include <QWidget>

class AppState;
class QScrollArea;
class QGridLayout;
class SlotCompactCard;
class SlotDropBox;
class SlotHeroCard;

/// The source or destination panel of the upper row: a drop target for files from the file
/// manager, showing the drop box (no items), the hero card (one) or a grid of compact cards
/// with an add button (two or more). Reads and changes the one AppState. Main thread.
class SlotPanel : public QWidget {
    Q_OBJECT
public:
    enum class Kind { source, destination };
    enum class Mode { dropBox, hero, grid };

    SlotPanel(Kind kind, AppState& state, QWidget* parent = nullptr);

    [[nodiscard]] Kind kind() const { return kind_; }
    [[nodiscard]] Mode mode() const { return mode_; }
    [[nodiscard]] bool isTargeted() const { return targeted_; }
    [[nodiscard]] bool isHovering() const { return hovering_; }
    /// The shown content: a SlotDropBox, a SlotHeroCard or the grid's scroll area.
    [[nodiscard]] QWidget* content() const { return content_; }
    [[nodiscard]] QList<SlotCompactCard*> compactCards() const { return cards_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    /// Brings the content in line with the list when it changed.
    void itemsChanged(bool force = false);
    void build(Mode mode);
    QWidget* buildDropBox();
    QWidget* buildHero();
    QWidget* buildGrid();
    /// The grid's last cell: the add button.
    QWidget* addCell(QWidget* parent);
    void fillContent();
    /// A destination panel's cards show the drives' checks.
    void showChecks();
    void placeContent();
    void pick();
    void remove(const QUuid& id);
    void setTargeted(bool targeted);
    void setHovering(bool hovering);
    [[nodiscard]] int itemCount() const;
    [[nodiscard]] QList<QUuid> itemIDs() const;

    Kind kind_;
    AppState& state_;
    Mode mode_ = Mode::dropBox;
    QWidget* content_ = nullptr;
    SlotDropBox* dropBox_ = nullptr;
    SlotHeroCard* hero_ = nullptr;
    QList<SlotCompactCard*> cards_;
    QList<QUuid> shownIDs_;
    QList<SourceItem> shownSources_;
    QList<DestItem> shownDestinations_;

    QString number_;
    QString label_;
    bool targeted_ = false;
    bool hovering_ = false;
    double targetProgress_ = 0;
    double hoverProgress_ = 0;
    QVariantAnimation targetAnimation_;
    QVariantAnimation hoverAnimation_;
};
