#include "browser/FileBrowserView.h"
#include "kit/KeyedLabel.h"

#include "browser/BrowserBreadcrumbs.h"
#include "browser/BrowserItemMenu.h"
#include "browser/BrowserModel.h"
#include "browser/ColumnsBrowser.h"
#include "browser/IconsBrowser.h"
#include "browser/ListBrowser.h"
#include "browser/RenameDialog.h"
#include "browser/ViewModeButton.h"
#include "kit/Buttons.h"
#include "kit/RenderStats.h"
#include "kit/Theme.h"
#include "settings/L10n.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QMessageBox>
#include <QPainter>
#include <QShortcut>
#include <QVBoxLayout>

namespace {
constexpr int toolbarHeight = 48;
constexpr std::array<const char*, 3> modeSymbols{"square.grid.2x2", "list.bullet", "rectangle.split.3x1"};
constexpr std::array<const char*, 3> modeKeys{"filebrowser.mode.icons", "filebrowser.mode.list",
                                              "filebrowser.mode.columns"};
} // namespace

FileBrowserView::FileBrowserView(BrowserModel* model, RevealService* reveal,
                                 BrowserFooter::UrlsHandler addSources,
                                 BrowserFooter::UrlsHandler addDestinations, QWidget* parent)
    : QWidget(parent), model_(model), reveal_(reveal), column_(new QVBoxLayout(this)),
      back_(new CircleIconButton(QStringLiteral("chevron.left"), this)),
      breadcrumbs_(new BrowserBreadcrumbs(model, this)),
      footer_(new BrowserFooter(model, std::move(addSources), std::move(addDestinations), this)) {
    column_->setContentsMargins(0, 0, 0, 0);
    column_->setSpacing(0);

    auto* toolbar = new QWidget(this);
    toolbar->setFixedHeight(toolbarHeight);
    auto* row = new QHBoxLayout(toolbar);
    row->setContentsMargins(10, 0, 10, 0);
    row->setSpacing(8);
    row->addWidget(back_);
    row->addWidget(breadcrumbs_, 1);
    auto* modes = new QButtonGroup(this);
    for (int i = 0; i < 3; ++i) {
        modeButtons_[i] = new ViewModeButton(QString::fromLatin1(modeSymbols[i]), toolbar);
        modes->addButton(modeButtons_[i], i);
        row->addSpacing(i == 0 ? 4 : -6);
        row->addWidget(modeButtons_[i]);
        KeyedLabel::attach(modeButtons_[i], modeKeys[i]);
    }
    KeyedLabel::attach(back_, "filebrowser.back");
    connect(modes, &QButtonGroup::idClicked, model,
            [model](int id) { model->setViewMode(static_cast<BrowserModel::ViewMode>(id)); });
    connect(back_, &QAbstractButton::clicked, model, &BrowserModel::goBack);

    column_->addWidget(toolbar);
    column_->addWidget(footer_);

    auto* enter = new QShortcut(QKeySequence(Qt::Key_Return), this, this, &FileBrowserView::renameSelection);
    auto* enterPad =
        new QShortcut(QKeySequence(Qt::Key_Enter), this, this, &FileBrowserView::renameSelection);
    auto* create = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_N), this, this, &FileBrowserView::newFolder);
    for (QShortcut* shortcut : {enter, enterPad, create}) {
        shortcut->setContext(Qt::WidgetWithChildrenShortcut);
    }

    connect(model, &BrowserModel::pathStackChanged, this, &FileBrowserView::rebuild);
    connect(model, &BrowserModel::viewModeChanged, this, [this] {
        showListing();
        rebuild();
    });
    const auto refreshFooter = [this] { footer_->refresh(); };
    connect(model, &BrowserModel::selectionChanged, footer_, refreshFooter);
    connect(model, &BrowserModel::listingsChanged, footer_, refreshFooter);
    connect(model, &BrowserModel::renameTargetChanged, this, &FileBrowserView::syncRenameDialog);
    connect(model, &BrowserModel::lastErrorChanged, this, &FileBrowserView::syncErrorDialog);

    // Clicks keep the shortcuts working; Tab goes to the listing and the buttons instead.
    setFocusPolicy(Qt::ClickFocus);
    showListing();
    rebuild();
}

void FileBrowserView::rebuild() {
    RenderStats::tick("FileBrowserView");
    back_->setEnabled(!model_->pathStack().isEmpty());
    for (int i = 0; i < 3; ++i) {
        modeButtons_[i]->setChecked(static_cast<int>(model_->viewMode()) == i);
    }
    footer_->refresh();
    update();
}

void FileBrowserView::showListing() {
    delete listing_; // column widths belong to the columns view and go with it
    BrowserItemView* view = nullptr;
    switch (model_->viewMode()) {
    case BrowserModel::ViewMode::icons:
        listing_ = view = new IconsBrowser(model_, this);
        break;
    case BrowserModel::ViewMode::list:
        listing_ = view = new ListBrowser(model_, this);
        break;
    case BrowserModel::ViewMode::columns: {
        auto* columns = new ColumnsBrowser(model_, this);
        connect(columns, &ColumnsBrowser::itemMenuRequested, this,
                [this](const BrowserItem& item, bool isVolume, const QPoint& at) {
                    showMenu(item, isVolume, at);
                });
        listing_ = columns;
        break;
    }
    }
    if (view) {
        connect(view, &BrowserItemView::itemMenuRequested, this,
                [this](const BrowserItem& item, const QPoint& at) {
                    showMenu(item, model_->pathStack().isEmpty(), at);
                });
        connect(view, &BrowserItemView::backgroundMenuRequested, this,
                [this](const QPoint& at) { showMenu(std::nullopt, false, at); });
    }
    column_->insertWidget(1, listing_, 1);
}

QMenu* FileBrowserView::menuFor(const std::optional<BrowserItem>& item, bool isVolume) {
    if (item) {
        return new BrowserItemMenu(*item, isVolume, model_, reveal_, this);
    }
    const auto folder = model_->currentFolder();
    return folder ? BrowserItemMenu::backgroundMenu(*folder, model_, this) : nullptr;
}

void FileBrowserView::showMenu(const std::optional<BrowserItem>& item, bool isVolume,
                               const QPoint& globalPosition) {
    if (QMenu* menu = menuFor(item, isVolume)) {
        menu->setAttribute(Qt::WA_DeleteOnClose);
        menu->popup(globalPosition);
    }
}

void FileBrowserView::renameSelection() {
    if (model_->pathStack().isEmpty()) {
        return;
    }
    if (const auto item = model_->singleSelection()) {
        model_->setRenameTarget(*item);
    }
}

void FileBrowserView::newFolder() {
    if (const auto folder = model_->currentFolder()) {
        model_->createFolder(*folder);
    }
}

void FileBrowserView::syncRenameDialog() {
    const auto& target = model_->renameTarget();
    if (!target) {
        if (renameDialog_) {
            renameDialog_->hide();
            renameDialog_->deleteLater();
            renameDialog_ = nullptr;
        }
        return;
    }
    if (renameDialog_) {
        renameDialog_->setCurrentName(target->name);
        return;
    }
    renameDialog_ = new RenameDialog(target->name, this);
    RenameDialog* dialog = renameDialog_;
    connect(dialog, &QDialog::finished, this, [this, dialog](int result) {
        const auto target = model_->renameTarget();
        if (result == QDialog::Accepted && target) {
            model_->rename(*target, dialog->text());
        }
        model_->setRenameTarget(std::nullopt);
    });
    dialog->open();
}

void FileBrowserView::syncErrorDialog() {
    const auto& message = model_->lastError();
    if (!message) {
        if (errorDialog_) {
            errorDialog_->hide();
            errorDialog_->deleteLater();
            errorDialog_ = nullptr;
        }
        return;
    }
    if (!errorDialog_) {
        errorDialog_ = new QMessageBox(QMessageBox::Warning, L10n::t("common.error"), QString(),
                                       QMessageBox::NoButton, this);
        errorDialog_->setWindowModality(Qt::WindowModal);
        errorDialog_->addButton(L10n::t("common.ok"), QMessageBox::AcceptRole);
        connect(errorDialog_, &QDialog::finished, model_, &BrowserModel::clearLastError);
    }
    errorDialog_->setText(*message);
    errorDialog_->open();
}

void FileBrowserView::paintEvent(QPaintEvent*) {
    // Hairlines under the toolbar and above the footer.
    QPainter p(this);
    const QColor line = Theme::current().overlay(0.08, 0.10);
    p.fillRect(QRectF(0, toolbarHeight - 1, width(), 1), line);
    p.fillRect(QRectF(0, footer_->y(), width(), 1), line);
}
