#include "browser/FileBrowserPanel.h"

#include "browser/BrowserModel.h"
#include "browser/FileBrowserView.h"
#include "kit/RenderStats.h"
#include "kit/Theme.h"
#include "platform/DisplayPath.h"
#include "platform/FileManagerRevealService.h"
#include "state/AppState.h"

#include <QFileInfo>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

namespace {
constexpr double cornerRadius = 14;
}

FileBrowserPanel::FileBrowserPanel(Connections connections, QWidget* parent)
    : QWidget(parent), connections_(std::move(connections)) {
    if (!connections_.reveal) {
        ownReveal_ = std::make_unique<FileManagerRevealService>();
        connections_.reveal = ownReveal_.get();
    }
    model_ = new BrowserModel(BrowserModel::Services{connections_.trash, connections_.eject}, this);
    view_ = new FileBrowserView(model_, connections_.reveal, connections_.addSources,
                                connections_.addDestinations, this);
    auto* column = new QVBoxLayout(this);
    // The corners stay free so the card's rounded edge is never painted over.
    column->setContentsMargins(0, 0, 0, 0);
    column->addWidget(view_);
    refreshRootItems();
}

FileBrowserPanel::FileBrowserPanel(AppState* state, QWidget* parent)
    : FileBrowserPanel(
          Connections{
              .rootItems =
                  [state] {
                      QList<BrowserItem> items;
                      for (const DiskItem& disk : state->disks()) {
                          items << volumeItem(disk.url.toLocalFile(), disk.name, disk.totalBytes);
                      }
                      return items;
                  },
              .addSources = [state](const QList<QUrl>& urls) { state->addSources(urls); },
              .addDestinations = [state](const QList<QUrl>& urls) { state->addDestinations(urls); },
          },
          parent) {
    connect(state, &AppState::disksChanged, this, &FileBrowserPanel::refreshRootItems);
}

FileBrowserPanel::~FileBrowserPanel() = default;

BrowserItem FileBrowserPanel::volumeItem(const QString& mountPoint, const QString& name, qint64 totalBytes) {
    BrowserItem item;
    item.url = QUrl::fromLocalFile(mountPoint);
    if (!name.isEmpty()) {
        item.name = name;
    } else if (mountPoint == QLatin1String("/")) {
        item.name = DisplayPath::bootVolumeName();
    } else {
        item.name = QFileInfo(mountPoint).fileName();
    }
    item.isDirectory = true;
    if (totalBytes > 0) {
        item.size = totalBytes;
    }
    return item;
}

void FileBrowserPanel::refreshRootItems() {
    RenderStats::tick("FileBrowserPanel");
    model_->setRootItems(connections_.rootItems ? connections_.rootItems() : QList<BrowserItem>{});
}

void FileBrowserPanel::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath card;
    card.addRoundedRect(QRectF(rect()), cornerRadius, cornerRadius);
    p.fillPath(card, Theme::current().browserBackground);
}
