#include "PanelTestSupport.h"
#include "browser/BrowserBreadcrumbs.h"
#include "browser/BrowserItemMenu.h"
#include "browser/BrowserItemView.h"
#include "browser/BrowserListModel.h"
#include "browser/BrowserModel.h"
#include "browser/ColumnsBrowser.h"
#include "browser/FileBrowserPanel.h"
#include "browser/FileBrowserView.h"
#include "browser/IconsBrowser.h"
#include "browser/ViewModeButton.h"
#include "kit/Fonts.h"
#include "kit/Theme.h"
#include "platform/EjectService.h"
#include "platform/RevealService.h"
#include "platform/VolumeService.h"
#include "settings/L10n.h"
#include "settings/Localization.h"
#include "settings/ResourceBundle.h"
#include "state/AppState.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>

namespace {

// The menu's entries as their texts, "—" for a divider, "(off)" after a disabled entry.
QStringList entries(const QMenu& menu) {
    QStringList result;
    for (const QAction* action : menu.actions()) {
        if (action->isSeparator()) {
            result << QStringLiteral("—");
        } else {
            result << action->text() + (action->isEnabled() ? QString() : QStringLiteral(" (off)"));
        }
    }
    return result;
}

QString t(const char* key) {
    return L10n::t(key);
}

QPoint centreOf(BrowserItemView* view, int row) {
    return view->visualRect(view->model()->index(row, 0)).center();
}

} // namespace

class BrowserViewsTest : public QObject {
    Q_OBJECT

    QTemporaryDir root;
    QString volume; // a folder tree standing in for a card
    QList<QList<QUrl>> sources;
    QList<QList<QUrl>> destinations;
    FakeEjectService ejector;
    FakeReveal revealer;

    std::unique_ptr<FileBrowserPanel> makePanel() {
        FileBrowserPanel::Connections connections;
        connections.rootItems = [this] {
            return QList<BrowserItem>{FileBrowserPanel::volumeItem("/", QString(), 500'000'000'000),
                                      FileBrowserPanel::volumeItem(volume, "A001_CARD", 128'000'000'000)};
        };
        connections.addSources = [this](const QList<QUrl>& urls) { sources << urls; };
        connections.addDestinations = [this](const QList<QUrl>& urls) { destinations << urls; };
        connections.eject = &ejector;
        connections.reveal = &revealer;
        auto panel = std::make_unique<FileBrowserPanel>(connections);
        panel->resize(760, 420);
        panel->show();
        panel->activateWindow();
        if (!QTest::qWaitForWindowActive(panel.get())) {
            qWarning("the panel's window did not become active");
        }
        panel->view()->setFocus();
        return panel;
    }

private slots:
    void initTestCase() {
        ResourceBundle::setPathForTesting(QStringLiteral(STOWLINE_BUNDLE_DIR));
        Localization::setPreferredLanguagesForTesting(QStringList{QStringLiteral("en")});
        Localization::refresh();
        FontLoader::registerBundledFonts();
        Theme::apply(true);
        QVERIFY(root.isValid());
        volume = root.filePath("A001_CARD");
        for (const char* folder : {"DCIM/100CANON", "PRIVATE/M4ROOT/CLIP", "Sound Rolls"}) {
            QVERIFY(QDir().mkpath(volume + "/" + folder));
        }
        for (int i = 1; i <= 12; ++i) {
            writeSparseFile(volume + QStringLiteral("/A001C%1_230914_R2KC.mov").arg(i, 3, 10, QChar('0')),
                            i * 1'300'000'000LL);
        }
        writeSparseFile(volume + "/A001.ale", 48'213);
        for (const char* day : {"Day 1", "Day 2"}) {
            QVERIFY(QDir().mkpath(volume + "/Sound Rolls/" + day));
            for (int i = 1; i <= 40; ++i) {
                writeSparseFile(volume + QStringLiteral("/Sound Rolls/%1/%1 %2.wav").arg(day).arg(i), 1000);
            }
        }
    }

    void init() {
        sources.clear();
        destinations.clear();
        revealer.revealed.clear();
    }

    void volumeMenusOfferNothingThatMovesTheVolume() {
        BrowserModel model;
        const BrowserItem file{urlOf(volume + "/A001.ale"), "A001.ale", false, 48'213};
        const BrowserItem card{urlOf(volume), "A001_CARD", true, 128};
        const BrowserItem startup{urlOf("/"), "System", true, 500};
        QGuiApplication::clipboard()->clear();

        // A volume can be neither cut, renamed nor trashed; the start-up volume not ejected either.
        QCOMPARE(entries(BrowserItemMenu(card, true, &model, &revealer)),
                 (QStringList{t("filebrowser.menu.new_folder"), "—", t("filebrowser.menu.copy"),
                              t("filebrowser.menu.paste_here") + " (off)", "—", t("filebrowser.menu.eject"),
                              "—", t("common.reveal_in_finder")}));
        model.copyToClipboard(file, false);
        QCOMPARE(entries(BrowserItemMenu(startup, true, &model, &revealer)),
                 (QStringList{t("filebrowser.menu.new_folder"), "—", t("filebrowser.menu.copy"),
                              t("filebrowser.menu.paste_here"), "—", "—", t("common.reveal_in_finder")}));

        BrowserItemMenu menu(file, false, &model, &revealer);
        menu.actions().constLast()->trigger();
        QCOMPARE(revealer.revealed, (QList<QList<QUrl>>{{file.url}}));
    }

    void backgroundMenuAndKeysOnlyInsideAFolder() {
        auto panel = makePanel();
        BrowserModel* model = panel->model();
        FileBrowserView* view = panel->view();
        QVERIFY(!view->backButton()->isEnabled());
        QCOMPARE(
            view->footer()->statusText(),
            L10n::t("filebrowser.footer.status", {L10n::plural("items_count", 2), t("filebrowser.root")}));
        QCOMPARE(view->menuFor(std::nullopt, false), nullptr);
        model->selectOnly(urlOf(volume));
        QTest::keyClick(view, Qt::Key_Return);
        QTest::keyClick(view, Qt::Key_N, Qt::ControlModifier);
        QVERIFY(!model->renameTarget());
        QVERIFY(!view->renameDialog());

        model->open(model->rootItems().at(1));
        QVERIFY(view->backButton()->isEnabled());
        QGuiApplication::clipboard()->clear();
        std::unique_ptr<QMenu> background(view->menuFor(std::nullopt, false));
        QVERIFY(background);
        QCOMPARE(entries(*background), (QStringList{t("filebrowser.background_menu.new_folder"),
                                                    t("filebrowser.background_menu.paste") + " (off)"}));
    }

    // Ctrl+N, type a name, confirm: the folder is there under that name, shown at once.
    void newFolderThenRenameThroughTheDialog() {
        const QString work = root.filePath("work");
        QVERIFY(QDir().mkpath(work));
        writeSparseFile(work + "/taken", 1);
        auto panel = makePanel();
        BrowserModel* model = panel->model();
        FileBrowserView* view = panel->view();
        model->setViewMode(BrowserModel::ViewMode::list);
        model->open(BrowserItem{urlOf(work), "work", true, std::nullopt});
        QTest::keyClick(view, Qt::Key_N, Qt::ControlModifier);
        const QString base = t("filebrowser.new_folder_name");
        QVERIFY(QFileInfo(work + "/" + base).isDir());
        QVERIFY(view->renameDialog());
        QCOMPARE(view->renameDialog()->text(), base);

        view->renameDialog()->field()->setText("  Day 01\t");
        view->renameDialog()->accept();
        QVERIFY(QFileInfo(work + "/Day 01").isDir());
        QVERIFY(!model->renameTarget());
        QTRY_VERIFY(!view->renameDialog());
        auto* list = qobject_cast<BrowserItemView*>(view->listing());
        QTRY_COMPARE(list->listModel()->items().constFirst().name, QString("Day 01"));

        // Return opens the dialog on the selection; a taken name shows the error dialog.
        panel->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(panel.get()));
        view->setFocus();
        QTest::keyClick(view, Qt::Key_Return);
        QVERIFY(view->renameDialog());
        view->renameDialog()->field()->setText("taken");
        view->renameDialog()->accept();
        QVERIFY(view->errorDialog());
        QCOMPARE(view->errorDialog()->text(), L10n::t("filebrowser.error.rename_exists", {"taken"}));
        view->errorDialog()->accept();
        QVERIFY(!model->lastError());
        QVERIFY(QFileInfo(work + "/Day 01").isDir());

        // Cancel leaves the name alone.
        panel->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(panel.get()));
        view->setFocus();
        QTest::keyClick(view, Qt::Key_Return);
        view->renameDialog()->field()->setText("Other");
        view->renameDialog()->reject();
        QVERIFY(!model->renameTarget());
        QVERIFY(QFileInfo(work + "/Day 01").isDir());
    }

    // Three clips picked with Shift go out as sources; only folders go as destinations.
    void footerSendsSelectionsToTheApplication() {
        auto panel = makePanel();
        BrowserModel* model = panel->model();
        model->setViewMode(BrowserModel::ViewMode::list);
        model->open(model->rootItems().at(1));
        auto* list = qobject_cast<BrowserItemView*>(panel->view()->listing());
        QTRY_COMPARE(list->listModel()->items().size(), 16);
        BrowserFooter* footer = panel->view()->footer();
        QVERIFY(!footer->sourceButton()->isEnabled());
        QVERIFY(!footer->destinationButton()->isEnabled());

        // Rows: DCIM, PRIVATE, Sound Rolls, A001.ale, A001C001 … A001C012.
        QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, centreOf(list, 4));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::ShiftModifier, centreOf(list, 6));
        QCOMPARE(model->selectedItems().size(), 3);
        QVERIFY(footer->statusText().endsWith(
            L10n::t("filebrowser.footer.selected_count", {L10n::plural("selected_count", 3)})));
        QVERIFY(footer->sourceButton()->isEnabled());
        QVERIFY(!footer->destinationButton()->isEnabled());
        footer->sourceButton()->click();
        QCOMPARE(sources, (QList<QList<QUrl>>{{urlOf(volume + "/A001C001_230914_R2KC.mov"),
                                               urlOf(volume + "/A001C002_230914_R2KC.mov"),
                                               urlOf(volume + "/A001C003_230914_R2KC.mov")}}));

        QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, centreOf(list, 3));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::ControlModifier, centreOf(list, 0));
        QVERIFY(footer->destinationButton()->isEnabled());
        footer->sourceButton()->click();
        footer->destinationButton()->click();
        QCOMPARE(sources.constLast(), (QList<QUrl>{urlOf(volume + "/DCIM"), urlOf(volume + "/A001.ale")}));
        QCOMPARE(destinations, (QList<QList<QUrl>>{{urlOf(volume + "/DCIM")}}));

        // A double click enters a folder; the breadcrumbs lead back.
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, centreOf(list, 0));
        QCOMPARE(model->currentFolder(), urlOf(volume + "/DCIM"));
        QCOMPARE(panel->view()->breadcrumbs()->labels(),
                 (QStringList{t("filebrowser.root"), "A001_CARD", "DCIM"}));
        panel->view()->breadcrumbs()->activate(1);
        QCOMPARE(model->currentFolder(), urlOf(volume));
    }

    // Modes change the layout only: the path and the selection stay.
    void modesShareOneModelAndColumnsFollowThePath() {
        auto panel = makePanel();
        BrowserModel* model = panel->model();
        FileBrowserView* view = panel->view();
        model->open(model->rootItems().at(1));
        model->selectOnly(urlOf(volume + "/A001.ale"));
        QVERIFY(qobject_cast<IconsBrowser*>(view->listing()));
        view->modeButton(2)->click();
        QCOMPARE(model->viewMode(), BrowserModel::ViewMode::columns);
        QVERIFY(view->modeButton(2)->isChecked());
        QVERIFY(!view->modeButton(0)->isChecked());
        QCOMPARE(model->selection(), QSet<QUrl>{urlOf(volume + "/A001.ale")});

        auto* columns = qobject_cast<ColumnsBrowser*>(view->listing());
        QVERIFY(columns);
        QCOMPARE(columns->columnCount(), 2);
        BrowserItemView* second = columns->column(1);
        QCOMPARE(second->listModel()->items().at(0).name, QString("DCIM"));
        QTest::mouseClick(second->viewport(), Qt::LeftButton, Qt::NoModifier, centreOf(second, 0));
        QCOMPARE(model->pathStack(), (QList<QUrl>{urlOf(volume), urlOf(volume + "/DCIM")}));
        QTRY_COMPARE(columns->columnCount(), 3);
        QCOMPARE(columns->column(2)->listModel()->items().at(0).name, QString("100CANON"));

        // Clicking a file in an earlier column cuts the path back to that column.
        QTest::mouseClick(second->viewport(), Qt::LeftButton, Qt::NoModifier, centreOf(second, 3));
        QCOMPARE(model->pathStack(), QList<QUrl>{urlOf(volume)});
        QCOMPARE(model->selection(), QSet<QUrl>{urlOf(volume + "/A001.ale")});
        QTRY_COMPARE(columns->columnCount(), 2);
    }

    // A folder shown in place of another starts at its first rows, in every view.
    void anOpenedFolderStartsAtItsTop_data() {
        QTest::addColumn<BrowserModel::ViewMode>("mode");
        QTest::newRow("icons") << BrowserModel::ViewMode::icons;
        QTest::newRow("list") << BrowserModel::ViewMode::list;
        QTest::newRow("columns") << BrowserModel::ViewMode::columns;
    }
    void anOpenedFolderStartsAtItsTop() {
        QFETCH(BrowserModel::ViewMode, mode);
        auto panel = makePanel();
        BrowserModel* model = panel->model();
        model->setViewMode(mode);
        const auto folder = [](const QString& path) {
            return BrowserItem{urlOf(path), QFileInfo(path).fileName(), true, std::nullopt};
        };
        const QString rolls = volume + "/Sound Rolls";
        for (const QString& path : {volume, rolls, rolls + "/Day 1"}) {
            model->open(folder(path));
        }
        const auto shown = [&]() -> BrowserItemView* {
            if (auto* columns = qobject_cast<ColumnsBrowser*>(panel->view()->listing())) {
                return columns->columnCount() > 3 ? columns->column(3) : nullptr;
            }
            return qobject_cast<BrowserItemView*>(panel->view()->listing());
        };
        QTRY_VERIFY(shown() && shown()->verticalScrollBar()->maximum() > 0);
        shown()->verticalScrollBar()->setValue(shown()->verticalScrollBar()->maximum());
        model->openInColumns(folder(rolls + "/Day 2"), 2); // Day 1's sibling, in its place
        QTRY_COMPARE(shown()->listModel()->items().value(0).name, QString("Day 2 1.wav"));
        QCOMPARE(shown()->verticalScrollBar()->value(), 0);
    }

    // The panel wired to the application state: its volumes at the root, following mounts,
    // and the footer's choices in its lists.
    void aPanelOnTheApplicationState() {
        FakeVolumes volumes;
        volumes.volumes = {MountedVolume{volume, "A001_CARD", 128'000'000'000}};
        AppState::Services services;
        services.volumes = &volumes;
        services.freeSpace = [](const QUrl&) { return qint64(1'000'000'000); };
        services.totalSpace = [](const QUrl&) { return qint64(2'000'000'000); };
        services.scan = [](const std::vector<std::filesystem::path>&) {
            return std::vector<stowline::ScannedFile>{};
        };
        AppState state(services);
        state.refreshDisks();
        FileBrowserPanel panel(&state);
        BrowserModel* model = panel.model();
        QCOMPARE(model->rootItems(),
                 (QList<BrowserItem>{{urlOf(volume), "A001_CARD", true, 128'000'000'000}}));

        model->open(model->rootItems().at(0));
        model->selectOnly(urlOf(volume + "/DCIM"));
        panel.view()->footer()->sourceButton()->click();
        panel.view()->footer()->destinationButton()->click();
        QTRY_COMPARE(state.sources().size(), 1); // once the drive has answered
        QTRY_COMPARE(state.destinations().size(), 1);

        volumes.volumes.clear();
        state.refreshDisks();
        QVERIFY(model->rootItems().isEmpty());
        QVERIFY(state.sources().isEmpty()); // they lived on the volume that went
        QVERIFY(state.destinations().isEmpty());
    }
};

QTEST_MAIN(BrowserViewsTest)
#include "BrowserViewsTest.moc"
