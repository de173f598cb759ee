#pragma once
#include "browser/BrowserFooter.h"
#include "browser/BrowserItem.h"

#include <QWidget>

#include <functional>
#include <memory>

class AppState;
class BrowserModel;
class EjectService;
class FileBrowserView;
class RevealService;
class TrashService;

/// The browser panel of the main window: a rounded card that owns the BrowserModel for its
/// whole life and shows FileBrowserView. The application state is reached through the
/// functions in Connections, so the panel can be wired to it (and tested) without it.
/// Main thread.
class FileBrowserPanel : public QWidget {
    Q_OBJECT
public:
    struct Connections {
        /// The volumes to list at the root, in the application state's order.
        std::function<QList<BrowserItem>()> rootItems;
        /// The footer's buttons: every selected entry as a source; selected folders as destinations.
        BrowserFooter::UrlsHandler addSources;
        BrowserFooter::UrlsHandler addDestinations;
        /// Platform services; null means the real ones.
        TrashService* trash = nullptr;
        EjectService* eject = nullptr;
        RevealService* reveal = nullptr;
    };

    explicit FileBrowserPanel(Connections connections, QWidget* parent = nullptr);
    /// Wired to the application state: its volumes at the root (followed as they change),
    /// the footer's choices added to its sources and destinations. The state must outlive
    /// the panel.
    explicit FileBrowserPanel(AppState* state, QWidget* parent = nullptr);
    ~FileBrowserPanel() override;

    /// A root item for a mounted volume: its URL and name, a folder, its capacity as size
    /// (none when unknown: zero or negative).
    [[nodiscard]] static BrowserItem volumeItem(const QString& mountPoint, const QString& name,
                                                qint64 totalBytes);

    [[nodiscard]] BrowserModel* model() const { return model_; }
    [[nodiscard]] FileBrowserView* view() const { return view_; }

public slots:
    /// Reads the root listing again; connect it to the volume list's change signal.
    void refreshRootItems();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Connections connections_;
    std::unique_ptr<RevealService> ownReveal_;
    BrowserModel* model_;
    FileBrowserView* view_;
};
