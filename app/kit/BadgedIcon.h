#pragma once
#include <QWidget>

class FileIconView;
class RemoveBadge;

/// A card's file icon with the remove badge centred on its top right corner. The widget
/// leaves room for the badge on every side, so the icon stays centred in it.
class BadgedIcon : public QWidget {
    Q_OBJECT
public:
    BadgedIcon(const QString& path, double size, QWidget* parent = nullptr);

    void setPath(const QString& path);
    void setBadgeVisible(bool visible);
    [[nodiscard]] RemoveBadge* badge() const { return badge_; }
    /// Room around the icon on each side.
    [[nodiscard]] static int margin();

signals:
    void removeClicked();

private:
    FileIconView* icon_;
    RemoveBadge* badge_;
};
