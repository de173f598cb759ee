// The whole window as a user switches language and appearance with both sheets open: no
// text of the other language's catalog is left on any visible widget, the browser's listing
// takes the new background, Qt's own dialogs switch language too, every control the
// keyboard can reach has a name for screen readers and shows a focus ring, and the keys of
// the custom controls do what the pointer does.
#include "Catalogs.h"
#include "PanelTestSupport.h"

#include "browser/BrowserBreadcrumbs.h"
#include "browser/BrowserFooter.h"
#include "browser/BrowserModel.h"
#include "browser/FileBrowserPanel.h"
#include "browser/FileBrowserView.h"
#include "kit/FocusRing.h"
#include "kit/Theme.h"
#include "platform/FileDialogOpenPanel.h"
#include "settings/Appearance.h"
#include "settings/L10n.h"
#include "settings/Localization.h"
#include "settings/Preferences.h"
#include "settings/ResourceBundle.h"
#include "ui/cards/SlotCompactCard.h"
#include "ui/cards/TransferCard.h"
#include "ui/panels/CentreColumn.h"
#include "ui/panels/SlotPanel.h"
#include "ui/sheets/ReportModal.h"
#include "ui/sheets/SettingsSheet.h"
#include "ui/window/BottomSplit.h"
#include "ui/window/MainView.h"
#include "ui/window/WindowWiring.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QRegularExpression>
#include <QSignalSpy>

using stowline::SupportedLanguage;

namespace {

// The fixed pieces of the `foreign` catalog's texts (between placeholders) that no text of
// the `own` catalog contains: any of them on screen is a text left in the other language.
QStringList foreignPieces(const Catalog& foreign, const Catalog& own) {
    const QStringList ownTexts = allTexts(own);
    static const QRegularExpression placeholder(QStringLiteral("%(\\d+|Ln|n)"));
    QStringList pieces;
    for (const QString& text : allTexts(foreign)) {
        for (QString piece : text.split(placeholder)) {
            piece = piece.trimmed();
            if (piece.size() < 6 || !piece.contains(QRegularExpression(QStringLiteral("[A-Za-zÀ-ú]{3}")))) {
                continue;
            }
            const bool shared = std::any_of(ownTexts.cbegin(), ownTexts.cend(),
                                            [&piece](const QString& t) { return t.contains(piece); });
            if (!shared) {
                pieces << piece;
            }
        }
    }
    pieces.removeDuplicates();
    return pieces;
}

// What a visible widget says: its texts, tooltip and what assistive technology reads.
QStringList textsOf(QWidget* widget) {
    QStringList texts{widget->toolTip(), widget->accessibleName(), widget->accessibleDescription()};
    if (widget->isWindow()) {
        texts << widget->windowTitle();
    }
    if (auto* label = qobject_cast<QLabel*>(widget)) {
        texts << label->text();
    }
    if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
        texts << button->text();
    }
    if (auto* field = qobject_cast<QLineEdit*>(widget)) {
        texts << field->placeholderText();
    }
    if (QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(widget)) {
        texts << accessible->text(QAccessible::Name) << accessible->text(QAccessible::Description);
    }
    texts.removeAll(QString());
    return texts;
}

QList<QWidget*> visibleWidgets(QWidget* window) {
    QList<QWidget*> widgets{window};
    for (QWidget* child : window->findChildren<QWidget*>()) {
        if (child->isVisible()) {
            widgets << child;
        }
    }
    return widgets;
}

} // namespace

class LiveSwitchTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        ResourceBundle::setPathForTesting(QStringLiteral(STOWLINE_BUNDLE_DIR));
        QString error;
        english = readCatalog(QStringLiteral("en"), &error);
        portuguese = readCatalog(QStringLiteral("pt-BR"), &error);
        QVERIFY2(error.isEmpty() && english.size() > 100 && portuguese.size() > 100, qPrintable(error));
    }

    void init() {
        Localization::setOverride(SupportedLanguage::en);
        bench = std::make_unique<JobTestBench>();
        writeFile(bench->root + "/A001/C0001.MP4", 4096);
        QDir().mkpath(bench->root + "/drive");
        volumes.volumes = {MountedVolume{bench->root, QStringLiteral("EVALCARD"), 1 << 30}};
        AppState::Services services;
        services.volumes = &volumes;
        services.openPanels = &panels;
        state = std::make_unique<AppState>(services);
        appearance = std::make_unique<Appearance>();
        appearance->set(false);
        Theme::follow(*appearance);
        QObject::connect(appearance.get(), &Appearance::languageChanged, qApp,
                         [] { QCoreApplication::postEvent(qApp, new QEvent(QEvent::LanguageChange)); });
        window = std::make_unique<QWidget>();
        window->resize(1300, 900);
        view = new MainView(window.get());
        view->resize(1300, 900);
        view->setSourcePanel(new SlotPanel(SlotPanel::Kind::source, *state));
        view->setCentreColumn(new CentreColumn(*state));
        view->setDestinationPanel(new SlotPanel(SlotPanel::Kind::destination, *state));
        view->setBrowserPanel(new FileBrowserPanel(state.get()));
        installTransfersAndSettings(*view, *state, *appearance, reveal);
        QVERIFY(offloadCardToDrive(*state, bench->root));
        // Two destinations show as compact cards; the browser is two folders deep.
        QDir().mkpath(bench->root + "/drive2");
        QVERIFY(addDestinations(*state, {fileUrl(bench->root + "/drive2")}));
        BrowserModel* browser = window->findChild<FileBrowserPanel*>()->model();
        browser->open(browser->rootItems().front());
        const QList<BrowserItem> listed = browser->currentItems();
        const auto card = std::find_if(listed.cbegin(), listed.cend(),
                                       [](const BrowserItem& item) { return item.name == "A001"; });
        QVERIFY(card != listed.cend());
        browser->open(*card);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    }

    void cleanup() {
        window.reset();
        state.reset();
        appearance.reset();
        bench.reset();
        Localization::setOverride(SupportedLanguage::en);
    }

    // Each direction of each switch, with the settings sheet and then the report sheet open.
    void everyVisibleTextFollowsTheSwitch_data() {
        QTest::addColumn<bool>("reportSheet");
        QTest::newRow("settings sheet") << false;
        QTest::newRow("report sheet") << true;
    }
    void everyVisibleTextFollowsTheSwitch() {
        QFETCH(bool, reportSheet);
        if (reportSheet) {
            state->setReportJob(state->jobs().front());
            QTRY_VERIFY(window->findChild<ReportModal*>() && window->findChild<ReportModal*>()->isVisible());
        } else {
            view->setShowsSettings(true);
            QTRY_VERIFY(window->findChild<SettingsSheet*>() &&
                        window->findChild<SettingsSheet*>()->isVisible());
        }
        const struct {
            SupportedLanguage language;
            bool light;
        } steps[] = {{SupportedLanguage::ptBR, false},
                     {SupportedLanguage::ptBR, true},
                     {SupportedLanguage::en, true},
                     {SupportedLanguage::en, false}};
        for (const auto& step : steps) {
            appearance->chooseLanguage(step.language);
            appearance->set(step.light);
            QCoreApplication::processEvents();
            QCoreApplication::processEvents();
            const bool english = step.language == SupportedLanguage::en;
            checkNoForeignText(english ? foreignPieces(portuguese, this->english)
                                       : foreignPieces(this->english, portuguese),
                               english ? "en" : "pt-BR");
            checkBrowserBackground();
        }
    }

    // Qt's own texts (the open panel) speak the active language and switch with it; sizes
    // and dates in its detail view follow the language too.
    void theOpenPanelSpeaksTheActiveLanguage() {
        FileDialogOpenPanel panels(window.get());
        appearance->chooseLanguage(SupportedLanguage::ptBR);
        panels.open(OpenPanelService::Kind::sources, QStringLiteral("Add"), QStringLiteral("Sources"),
                    [](auto) {});
        auto* dialog = window->findChild<QFileDialog*>();
        QVERIFY(dialog);
        auto* lookIn = dialog->findChild<QLabel*>(QStringLiteral("lookInLabel"));
        QVERIFY(lookIn);
        QTRY_COMPARE(lookIn->text(), QCoreApplication::translate("QFileDialog", "Look in:"));
        QVERIFY(lookIn->text() != QStringLiteral("Look in:"));
        appearance->chooseLanguage(SupportedLanguage::en);
        QTRY_COMPARE(lookIn->text(), QStringLiteral("Look in:"));
        dialog->reject();
    }

    // Every control Tab reaches has a name a screen reader can say, in both languages (and a
    // tooltip where it shows only a symbol), and shows the focus ring in both appearances.
    void everyFocusableControlIsNamedAndRinged() {
        FocusRing ring;
        view->setShowsSettings(true);
        for (const SupportedLanguage language : {SupportedLanguage::ptBR, SupportedLanguage::en}) {
            appearance->chooseLanguage(language);
            appearance->set(language == SupportedLanguage::en);
            QCoreApplication::processEvents();
            QCoreApplication::processEvents();
            int reached = 0;
            for (QWidget* widget : visibleWidgets(window.get())) {
                if (!(widget->focusPolicy() & Qt::TabFocus) || !widget->isEnabled() || widget->isWindow()) {
                    continue;
                }
                QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(widget);
                QVERIFY(accessible);
                QVERIFY2(!accessible->text(QAccessible::Name).trimmed().isEmpty(),
                         qPrintable(QStringLiteral("%1 (%2) has no accessible name")
                                        .arg(widget->metaObject()->className(), widget->objectName())));
                // A button that shows only a symbol says what it does when the pointer rests on it.
                if (auto* button = qobject_cast<QAbstractButton*>(widget);
                    button && button->text().isEmpty()) {
                    QVERIFY2(!button->toolTip().isEmpty(),
                             qPrintable(QStringLiteral("%1 (%2) has no tooltip")
                                            .arg(widget->metaObject()->className(), widget->objectName())));
                }
                ++reached;
            }
            QVERIFY(reached > 10);
        }
        // Tab moves the keyboard, and the ring, onto a button of a transfer card.
        auto* card = window->findChild<TransferCard*>();
        QVERIFY(card);
        QAbstractButton* reveal = card->button(QStringLiteral("magnifyingglass"));
        view->setShowsSettings(false);
        QTRY_VERIFY(!window->findChild<SettingsSheet*>() ||
                    !window->findChild<SettingsSheet*>()->isVisible());
        for (const bool light : {true, false}) {
            appearance->set(light);
            QApplication::setActiveWindow(window.get());
            QVERIFY(QTest::qWaitForWindowActive(window.get()));
            reveal->setFocus(Qt::TabFocusReason);
            QTRY_COMPARE(ring.target(), reveal);
            const QImage around = card->grab().toImage();
            const QPoint edge =
                reveal->geometry().topLeft() + QPoint(reveal->width() / 2, -FocusRing::outset + 1);
            QCOMPARE(around.pixelColor(edge).rgb(), Theme::current().accent.rgb());
            // A click elsewhere takes the focus without a ring.
            window->findChild<FileBrowserView*>()->listing()->setFocus(Qt::MouseFocusReason);
            QTRY_VERIFY(ring.target() == nullptr);
        }
        // A clicked button that disables itself (Start) hands the focus on as Tab would: the
        // pointer was used, so no ring appears.
        QTest::mouseClick(reveal, Qt::LeftButton);
        QCOMPARE(QApplication::focusWidget(), reveal);
        reveal->setEnabled(false);
        QVERIFY(QApplication::focusWidget() != reveal);
        QVERIFY(ring.target() == nullptr);
    }

    // Tab reaches each of these custom controls and rings it in both appearances, and its
    // keys do what the pointer does.
    void theKeyboardWorksEveryControl_data() {
        QTest::addColumn<QString>("control");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<bool>("light");
        QTest::newRow("divider, Left widens the transfers panel")
            << "divider" << int(Qt::Key_Left) << 0 << true;
        QTest::newRow("divider, End gives it its least width") << "divider" << int(Qt::Key_End) << 0 << false;
        QTest::newRow("crumb, Enter opens its folder") << "crumb" << int(Qt::Key_Return) << 0 << false;
        QTest::newRow("crumb, Space opens its folder") << "crumb" << int(Qt::Key_Space) << 0 << true;
        QTest::newRow("destination card, Shift+F10 offers the check")
            << "card" << int(Qt::Key_F10) << int(Qt::ShiftModifier) << true;
        QTest::newRow("destination card, the menu key offers the check")
            << "card" << int(Qt::Key_Menu) << 0 << false;
    }
    void theKeyboardWorksEveryControl() {
        QFETCH(QString, control);
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(bool, light);
        FocusRing ring;
        appearance->set(light);
        auto* split = window->findChild<BottomSplit*>();
        auto* crumbs = window->findChild<BrowserBreadcrumbs*>();
        QWidget* target = nullptr;
        if (control == "divider") {
            target = split->divider();
        } else if (control == "crumb") {
            QCOMPARE(crumbs->crumbs().size(), 3);
            target = crumbs->crumbs().at(1); // the volume's
        } else {
            for (auto* card : window->findChildren<SlotCompactCard*>()) {
                target = card->name() == "drive" ? card : target;
            }
        }
        QVERIFY(target);
        QApplication::setActiveWindow(window.get());
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        for (int i = 0; i < 300 && QApplication::focusWidget() != target; ++i) {
            QWidget* from = QApplication::focusWidget();
            QTest::keyClick(from ? from : window.get(), Qt::Key_Tab);
        }
        QCOMPARE(QApplication::focusWidget(), target);
        QTRY_COMPARE(ring.target(), target);
        // The ring shows whole at the control's left edge: nothing around clips it.
        const QImage around = target->parentWidget()->grab().toImage();
        const QPoint edge =
            target->geometry().topLeft() + QPoint(-FocusRing::outset + 1, target->height() / 2);
        QCOMPARE(around.pixelColor(edge).rgb(), Theme::current().accent.rgb());

        const double width = split->transfersWidth();
        QSignalSpy checks(state.get(), &AppState::driveChecksChanged);
        QTest::keyClick(target, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        if (control == "divider") {
            const double expected = key == Qt::Key_Left ? width + 10 : BottomSplit::minTransfers;
            QCOMPARE(split->transfersWidth(), expected);
            QCOMPARE(Preferences::store().value(BottomSplit::preferenceKey).toDouble(), expected);
        } else if (control == "crumb") {
            QCOMPARE(browserModel()->pathStack().size(), 1);
            QCOMPARE(QApplication::focusWidget(), target); // now the active crumb
        } else {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            QVERIFY(menu);
            QVERIFY(menu->activeAction());
            QCOMPARE(menu->activeAction()->text(), L10n::t("drivecheck.verify"));
            QTest::keyClick(menu, Qt::Key_Return);
            QVERIFY(!checks.isEmpty()); // the drive's check started
            QTRY_COMPARE(QApplication::focusWidget(), target);
            QCOMPARE(ring.target(), target); // the keyboard is back where it was, and shown
        }
    }

private:
    BrowserModel* browserModel() const { return window->findChild<FileBrowserPanel*>()->model(); }

    void checkNoForeignText(const QStringList& pieces, const char* language) {
        QList<QWidget*> widgets = visibleWidgets(window.get());
        for (QWidget* widget : widgets) {
            for (const QString& text : textsOf(widget)) {
                for (const QString& piece : pieces) {
                    QVERIFY2(
                        !text.contains(piece),
                        qPrintable(QStringLiteral("%1 in %2 (%3): “%4” comes from the other catalog")
                                       .arg(QString::fromLatin1(language), widget->metaObject()->className(),
                                            widget->objectName(), text)));
                }
            }
        }
    }

    void checkBrowserBackground() {
        auto* browser = window->findChild<FileBrowserView*>();
        QVERIFY(browser);
        QWidget* listing = browser->listing();
        const QImage image = listing->grab().toImage();
        const QColor corner = image.pixelColor(image.width() - 4, image.height() - 4);
        QCOMPARE(corner.rgb(), Theme::current().browserBackground.rgb());
        QCOMPARE(listing->palette().color(QPalette::Text).rgb(), Theme::current().mainText.rgb());
    }

    Catalog english;
    Catalog portuguese;
    std::unique_ptr<JobTestBench> bench;
    FakeVolumes volumes;
    FakeOpenPanels panels;
    FakeReveal reveal;
    std::unique_ptr<AppState> state;
    std::unique_ptr<Appearance> appearance;
    std::unique_ptr<QWidget> window;
    MainView* view = nullptr;
};

QTEST_MAIN(LiveSwitchTest)
#include "LiveSwitchTest.moc"
