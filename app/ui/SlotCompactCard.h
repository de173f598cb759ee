#pragma once
#include <QWidget>

#include "state/DestItem.h"
#include "state/SourceItem.h"

class BadgedIcon;
class TextLine;

/// One cell of a slot panel's grid: icon (remove badge on hover), name and a subtitle
/// (a source's status, a destination's free bytes).
class SlotCompactCard : public QWidget {
    Q_OBJECT
public:
    explicit SlotCompactCard(QWidget* parent = nullptr);

    void setSource(const SourceItem& source);
    void setDestination(const DestItem& destination);
    [[nodiscard]] QString name() const;
    [[nodiscard]] QString subtitle() const;

signals:
    void removeRequested();

protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void setUrl(const QUrl& url);

    BadgedIcon* icon_;
    TextLine* name_;
    TextLine* subtitle_;
};
