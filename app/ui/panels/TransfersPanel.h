#pragma once
#include <QHash>
#include <QList>
#include <QMetaObject>
#include <QPair>
#include <QUuid>
#include <QWidget>

class AppState;
class OutlineButton;
class QScrollArea;
class QStackedWidget;
class QTimer;
class QVBoxLayout;
class RevealService;
class TransferCard;
class TransferJob;
class TransfersHeader;

/// The right-hand side of the lower split: a header (card count, total speed while a job is
/// active, "clear finished" while a job has ended) over the list of every job's cards,
/// newest job first, or an empty state. The list is rebuilt only when cards come or go;
/// progress repaints just the cards of the job that moved. Main thread.
class TransfersPanel : public QWidget {
    Q_OBJECT
public:
    /// `state` and `reveal` must outlive the panel.
    TransfersPanel(AppState& state, RevealService& reveal, QWidget* parent = nullptr);
    ~TransfersPanel() override;

    /// The cards in display order.
    [[nodiscard]] QList<TransferCard*> cards() const;
    /// The number shown in the header.
    [[nodiscard]] int cardCount() const;
    /// The speed text shown in the header; empty while no job is active.
    [[nodiscard]] QString speedText() const;
    [[nodiscard]] OutlineButton* clearButton() const;
    [[nodiscard]] bool showsEmptyState() const;

private:
    using CardKey = QPair<TransferJob*, QUuid>;

    void rebuild();
    void watchJobs();
    void updateActivity();
    void refreshSpeed();

    AppState& state_;
    RevealService& reveal_;
    TransfersHeader* header_;
    QStackedWidget* stack_;
    QScrollArea* scroll_;
    QWidget* list_;
    QVBoxLayout* listLayout_;
    QTimer* speedTimer_;
    QList<CardKey> keys_;
    QHash<CardKey, TransferCard*> cards_;
    QHash<TransferJob*, QMetaObject::Connection> watched_;
};
