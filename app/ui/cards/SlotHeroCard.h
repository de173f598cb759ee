#pragma once
#include <QWidget>

#include "state/DestItem.h"
#include "state/SourceItem.h"

class BadgedIcon;
class DriveCheckJob;
class DriveCheckStrip;
class HeroStat;
class TextLine;
class FreeSpaceBarView;

/// A panel's only item, large and centred: icon (remove badge on hover), name, parent
/// folder, and below either the source's status with its file count and size, or the
/// destination's free-space bar and its drive check.
class SlotHeroCard : public QWidget {
    Q_OBJECT
public:
    explicit SlotHeroCard(const SourceItem& source, QWidget* parent = nullptr);
    explicit SlotHeroCard(const DestItem& destination, QWidget* parent = nullptr);

    /// Shows the item's current figures (same kind as constructed); texts are read afresh.
    void setSource(const SourceItem& source);
    void setDestination(const DestItem& destination);
    /// A destination's running check (null: none), whether one may start now and whether
    /// its drive holds a hash log to check against.
    void setCheck(const DriveCheckJob* check, bool canStart, bool hasHashLog = true);
    [[nodiscard]] DriveCheckStrip* checkStrip() const { return checkStrip_; }

signals:
    void removeRequested();
    void checkRequested();
    void cancelCheckRequested();

protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    SlotHeroCard(const QUrl& url, QWidget* parent);
    void setUrl(const QUrl& url);

    BadgedIcon* icon_;
    TextLine* name_;
    TextLine* path_;
    TextLine* status_ = nullptr;
    HeroStat* files_ = nullptr;
    HeroStat* size_ = nullptr;
    FreeSpaceBarView* freeSpace_ = nullptr;
    DriveCheckStrip* checkStrip_ = nullptr;
};
