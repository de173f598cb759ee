// The settings sheet over a real window: language and appearance switch live, the report
// formats' warning, and a job that then writes no Hash Log; the sheet opens and closes with
// the view's showsSettings.
#include "PanelTestSupport.h"

#include "kit/Buttons.h"
#include "kit/ChoiceButton.h"
#include "kit/Theme.h"
#include "kit/ThemedText.h"
#include "settings/Appearance.h"
#include "settings/L10n.h"
#include "settings/Localization.h"
#include "settings/Preferences.h"
#include "settings/ReportSettings.h"
#include "settings/ResourceBundle.h"
#include "settings/UpdateSettings.h"
#include "ui/sheets/SettingsSheet.h"
#include "ui/window/MainView.h"
#include "ui/window/WindowWiring.h"

#include "stowline/AscMhlHistory.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QSignalSpy>
#include <QTest>

using stowline::SupportedLanguage;

class SettingsSheetTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { ResourceBundle::setPathForTesting(QStringLiteral(STOWLINE_BUNDLE_DIR)); }

    void init() {
        Localization::setOverride(SupportedLanguage::en);
        bench = std::make_unique<JobTestBench>();
        appearance = std::make_unique<Appearance>();
        Theme::follow(*appearance);
        // As the application does: a language change re-translates every window.
        QObject::connect(appearance.get(), &Appearance::languageChanged, qApp,
                         [] { QCoreApplication::postEvent(qApp, new QEvent(QEvent::LanguageChange)); });
        window = std::make_unique<QWidget>();
        window->resize(1100, 800);
        view = new MainView(window.get());
        view->resize(1100, 800);
        installTransfersAndSettings(*view, state, *appearance, reveal);
        window->show();
        view->setShowsSettings(true);
        sheet = window->findChild<SettingsSheet*>();
        QVERIFY(sheet);
    }

    void cleanup() {
        window.reset();
        appearance.reset();
        bench.reset();
    }

    // The language buttons choose and show the choice; "automatic" removes it again. (What
    // the switch re-translates is the window-wide test's.)
    void languageSwitchesLive() {
        QCOMPARE(sheet->titleText()->text(), QStringLiteral("Settings"));
        const QList<ChoiceButton*>& languages = sheet->languageButtons();
        QCOMPARE(languages.size(), 3);
        QCOMPARE(languages[1]->text(), QStringLiteral("Português"));
        QCOMPARE(languages[2]->text(), QStringLiteral("English"));
        QVERIFY(languages[2]->isSelected());

        languages[1]->click();
        QCOMPARE(appearance->languageOverride(), std::optional(SupportedLanguage::ptBR));
        QTRY_COMPARE(sheet->titleText()->text(), L10n::t("settings.title"));
        QCOMPARE(sheet->closeButton()->text(), L10n::t("settings.close"));
        QVERIFY(languages[1]->isSelected());
        QVERIFY(!languages[2]->isSelected());

        languages[0]->click();
        QVERIFY(!appearance->languageOverride());
        QVERIFY(!Localization::override());
        QVERIFY(languages[0]->isSelected());
    }

    // Every format off shows the warning (the PDF report alone still keeps a record); a job
    // then writes no Hash Log and still ends done.
    void bothFormatsOffWarnsAndWritesNothing() {
        QVERIFY(sheet->noneWarning()->isHidden());
        QCOMPARE(sheet->mhlPill()->symbol(), QStringLiteral("checkmark"));
        sheet->mhlPill()->click();
        QCOMPARE(sheet->mhlPill()->symbol(), QStringLiteral("xmark"));
        QVERIFY(sheet->noneWarning()->isHidden());
        sheet->textPill()->click();
        QVERIFY(!sheet->noneWarning()->isHidden());
        QCOMPARE(sheet->pdfPill()->symbol(), QStringLiteral("xmark"));
        sheet->pdfPill()->click();
        QCOMPARE(sheet->pdfPill()->symbol(), QStringLiteral("checkmark"));
        QVERIFY(sheet->noneWarning()->isHidden());
        QVERIFY(ReportSettings::writesPDF());
        sheet->pdfPill()->click();
        QVERIFY(!sheet->noneWarning()->isHidden());
        QVERIFY(!ReportSettings::writesMHL() && !ReportSettings::writesText() &&
                !ReportSettings::writesPDF());

        const QString root = bench->root;
        writeFile(root + "/A001/a.mov", 2000);
        QDir().mkpath(root + "/drive");
        QVERIFY(addSources(state, {fileUrl(root + "/A001")}));
        QVERIFY(addDestinations(state, {fileUrl(root + "/drive")}));
        QVERIFY(start(state));
        QTRY_VERIFY_WITH_TIMEOUT(noActiveJobs(state), 60000);
        QCOMPARE(state.jobs().front()->phase(), TransferJob::Phase::done);
        QVERIFY(QFile::exists(root + "/drive/A001/a.mov"));
        QVERIFY(!QDir(root + "/drive/Hash Log").exists());

        sheet->textPill()->click();
        QVERIFY(sheet->noneWarning()->isHidden());
        QVERIFY(ReportSettings::writesText());
        state.clearFinishedJobs();
    }

    // The ASC MHL switch is off by default; on, a job keeps a history in the copied folder with
    // the optional hashes chosen, and the history alone keeps the "nothing written" warning away.
    void ascMhlSwitchWritesAHistoryWithTheChosenHashes() {
        QVERIFY(!ReportSettings::writesAscMhl());
        QCOMPARE(sheet->ascMhlPill()->symbol(), QStringLiteral("xmark"));
        QCOMPARE(sheet->ascMhlFormatButtons().size(), 3);
        QVERIFY(!sheet->ascMhlFormatButtons()[0]->isEnabled());
        sheet->ascMhlPill()->click();
        QVERIFY(ReportSettings::writesAscMhl());
        QVERIFY(sheet->ascMhlFormatButtons()[1]->isEnabled());
        sheet->ascMhlFormatButtons()[1]->click(); // md5
        QVERIFY(ReportSettings::ascMhlFormats().contains(stowline::HashFormat::md5));
        QVERIFY(Preferences::readBool(QStringLiteral("ascMhlRecordsMd5"), false));
        sheet->mhlPill()->click();
        sheet->textPill()->click();
        QVERIFY(sheet->noneWarning()->isHidden());

        const QString root = bench->root;
        writeFile(root + "/A001/a.mov", 2000);
        for (const auto& item : state.destinations()) {
            state.removeDestination(item.id); // an earlier test's drive, gone with its folder
        }
        for (const auto& item : state.sources()) {
            state.removeSource(item.id);
        }
        QVERIFY(stage(state, root, {"/A001"}, {"/drive"}));
        QVERIFY(start(state));
        QTRY_VERIFY_WITH_TIMEOUT(noActiveJobs(state), 60000);
        QCOMPARE(state.jobs().front()->phase(), TransferJob::Phase::done);
        const auto history = stowline::AscMhlHistory::load((root + "/drive/A001").toStdString());
        QVERIFY(history.intact());
        QCOMPARE(history.generations().size(), std::size_t{1});
        QCOMPARE(history.record("a.mov")->reference.formats(),
                 (stowline::HashFormats{stowline::HashFormat::xxh64, stowline::HashFormat::md5}));

        for (ChoiceButton* pill :
             {sheet->ascMhlFormatButtons()[1], sheet->ascMhlPill(), sheet->mhlPill(), sheet->textPill()}) {
            pill->click();
        }
        QVERIFY(!ReportSettings::writesAscMhl());
        QCOMPARE(ReportSettings::ascMhlFormats(), stowline::HashFormats{stowline::HashFormat::xxh64});
        state.clearFinishedJobs();
    }

    // Appearance switches at once; the update check can never be pressed; the checkbox writes
    // through; closing clears showsSettings and keeps every change.
    void appearanceUpdatesAndClosing() {
        QVERIFY(sheet->darkButton()->isSelected() != appearance->isLight());
        sheet->lightButton()->click();
        QVERIFY(appearance->isLight());
        QVERIFY(Theme::current().isLight);
        QVERIFY(sheet->lightButton()->isSelected());
        sheet->darkButton()->click();
        QVERIFY(!Theme::current().isLight);

        QVERIFY(!sheet->checkNowButton()->isEnabled());
        QSignalSpy clicked(sheet->checkNowButton(), &QAbstractButton::clicked);
        QTest::mouseClick(sheet->checkNowButton(), Qt::LeftButton);
        QCOMPARE(clicked.size(), 0);

        const bool before = UpdateSettings::checksAutomatically();
        QCOMPARE(sheet->autoUpdateCheck()->isChecked(), before);
        sheet->autoUpdateCheck()->click();
        QCOMPARE(UpdateSettings::checksAutomatically(), !before);

        QSignalSpy shows(view, &MainView::showsSettingsChanged);
        sheet->closeButton()->click();
        QCOMPARE(shows.size(), 1);
        QVERIFY(!view->showsSettings());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!window->findChild<SettingsSheet*>());
        QVERIFY(!appearance->isLight());
        view->setShowsSettings(true);
        QVERIFY(window->findChild<SettingsSheet*>());
    }

    // A preferences file that cannot be written (here a folder stands in its place) is said
    // once, on the sheet, not swallowed; the choices still apply for this run. Last: the
    // store keeps its failure for the rest of the process.
    void unwritablePreferencesAreSaidOnce() {
        QVERIFY(sheet->unsavedWarning()->isHidden());
        const QString file = Preferences::store().fileName();
        QFile::remove(file);
        QVERIFY(QDir().mkpath(file));
        const bool light = appearance->isLight();
        (light ? sheet->darkButton() : sheet->lightButton())->click();
        QCOMPARE(appearance->isLight(), !light);
        QVERIFY(!sheet->unsavedWarning()->isHidden());
        QCOMPARE(sheet->unsavedWarning()->text(), L10n::t("settings.preferences_unwritable"));
        (light ? sheet->lightButton() : sheet->darkButton())->click();
        const QList<ThemedText*> texts = sheet->findChildren<ThemedText*>();
        QCOMPARE(
            std::count_if(texts.cbegin(), texts.cend(),
                          [&](ThemedText* text) { return text->text() == sheet->unsavedWarning()->text(); }),
            1);
        QVERIFY(QDir(file).removeRecursively());
    }

private:
    AppState state;
    FakeReveal reveal;
    std::unique_ptr<JobTestBench> bench;
    std::unique_ptr<Appearance> appearance;
    std::unique_ptr<QWidget> window;
    MainView* view = nullptr;
    SettingsSheet* sheet = nullptr;
};

QTEST_MAIN(SettingsSheetTest)
#include "SettingsSheetTest.moc"
