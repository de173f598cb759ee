#include "kit/Fonts.h"
#include "kit/Symbol.h"
#include "kit/Theme.h"
#include "settings/Appearance.h"
#include "settings/Preferences.h"
#include "settings/ResourceBundle.h"
#include "ui/window/BottomSplit.h"
#include "ui/window/Brand.h"
#include "ui/window/MainView.h"
#include "ui/window/MainWindow.h"
#include "ui/window/TitleBar.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFile>
#include <QFontDatabase>
#include <QFontInfo>
#include <QLabel>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {

const char* const widthKey = BottomSplit::preferenceKey;

/// Moves the pressed pointer to `global`. The divider follows the pointer, so the position is
/// converted at each step, as a real pointer would be seen from the moving divider.
void moveTo(QWidget* divider, QPoint global) {
    QTest::mouseMove(divider, divider->mapFromGlobal(global));
}

/// Drags the divider through horizontal offsets from where it was pressed, then releases.
void drag(QWidget* divider, const QList<int>& steps) {
    const QPoint at(7, divider->height() / 2);
    const QPoint start = divider->mapToGlobal(at);
    QTest::mousePress(divider, Qt::LeftButton, {}, at);
    for (const int dx : steps) {
        moveTo(divider, start + QPoint(dx, 0));
    }
    QTest::mouseRelease(divider, Qt::LeftButton, {},
                        divider->mapFromGlobal(start + QPoint(steps.isEmpty() ? 0 : steps.last(), 0)));
}

} // namespace

class ChromeTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        ResourceBundle::setPathForTesting(QStringLiteral(STOWLINE_BUNDLE_DIR));
        Preferences::store().remove(QLatin1String(widthKey));
    }

    void fontLoaderRegistersBundledFontsWhateverTheirCase() {
        QTemporaryDir bundle;
        ResourceBundle::setPathForTesting(bundle.path());
        FontLoader::registerBundledFonts(); // no Fonts folder at all
        QVERIFY(!FontLoader::hasPlex());

        QVERIFY(QDir(bundle.path()).mkdir(QStringLiteral("Fonts")));
        const QString fonts = bundle.filePath("Fonts");
        QFile garbage(fonts + QStringLiteral("/Broken.ttf"));
        QVERIFY(garbage.open(QIODevice::WriteOnly));
        garbage.write("not a font");
        garbage.close();
        FontLoader::registerBundledFonts(); // only a file that fails to register
        QVERIFY(!FontLoader::hasPlex());
        QCOMPARE(Fonts::mono(11).family(), QFontDatabase::systemFont(QFontDatabase::FixedFont).family());

        QVERIFY(QFile::copy(QStringLiteral(STOWLINE_SOURCE_DIR "/resources/fonts/IBMPlexMono-Regular.ttf"),
                            fonts + QStringLiteral("/PLEXMONO.TTF")));
        QVERIFY(QFile::copy(QStringLiteral(STOWLINE_SOURCE_DIR "/resources/fonts/IBMPlexSans-Regular.ttf"),
                            fonts + QStringLiteral("/PlexSans.txt")));
        FontLoader::registerBundledFonts();
        QVERIFY(FontLoader::hasPlex());
        QVERIFY(QFontDatabase::families().contains(QStringLiteral("IBM Plex Mono")));
        QCOMPARE(QFontInfo(Fonts::mono(11)).family(), QStringLiteral("IBM Plex Mono"));
    }

    void symbolsAndLogoComeFromTheBundle() {
        // The tint replaces the drawing's own colour; nothing else is painted.
        const QImage plus = Symbol::pixmap(QStringLiteral("plus"), 24, QColor(192, 57, 43), 2.0).toImage();
        QCOMPARE(plus.size(), QSize(48, 48));
        QCOMPARE(plus.pixelColor(24, 24).rgb(), QColor(192, 57, 43).rgb());
        QCOMPARE(plus.pixelColor(2, 2).alpha(), 0);
        QVERIFY(Symbol::pixmap(QStringLiteral("no.such.symbol"), 12, Qt::black).isNull());
        QVERIFY(Symbol::pixmap(QStringLiteral("../Brand/stowline-logo-dark"), 12, Qt::black).isNull());
        QVERIFY(Symbol::icon(QStringLiteral("gearshape"), Qt::black)
                    .pixmap(16, 16)
                    .toImage()
                    .pixelColor(8, 8)
                    .isValid());

        QVERIFY(!Brand::lockup(Brand::Variant::light, 17).isNull());
        QTemporaryDir empty;
        ResourceBundle::setPathForTesting(empty.path());
        QVERIFY(Brand::lockup(Brand::Variant::dark, 23).isNull());
        QVERIFY(!Brand::lockup(Brand::Variant::light, 17).isNull()); // kept once loaded
    }

    void dividerClampsAndRemembersTheWidthAtTheEndOfADrag() {
        auto split = std::make_unique<BottomSplit>();
        split->resize(1200, 400);
        split->show();
        QCOMPARE(split->transfersWidth(), BottomSplit::defaultWidth);
        QWidget* divider = split->divider();
        QCOMPARE(divider->geometry(), QRect(1200 - 452 - 15, 0, 15, 400));

        const QPoint at(7, 200);
        const QPoint start = divider->mapToGlobal(at);
        QTest::mousePress(divider, Qt::LeftButton, {}, at);
        moveTo(divider, start + QPoint(1000, 0)); // far right: the transfers panel stops at 300
        QCOMPARE(split->transfersWidth(), 300.0);
        QCOMPARE(split->transfersPanel()->width(), 300);
        QVERIFY(!Preferences::store().contains(QLatin1String(widthKey))); // not while dragging
        moveTo(divider, start - QPoint(2000, 0));                         // far left: the browser keeps 420
        QCOMPARE(split->transfersWidth(), 1200.0 - 15 - 420);
        QCOMPARE(split->browserPanel()->width(), 420);
        moveTo(divider, start - QPoint(100, 0));
        QCOMPARE(split->transfersWidth(), 552.0); // relative to the width when the drag began
        QTest::mouseRelease(divider, Qt::LeftButton, {}, divider->mapFromGlobal(start - QPoint(100, 0)));
        QCOMPARE(Preferences::store().value(QLatin1String(widthKey)).toDouble(), 552.0);

        // A click without movement is no drag and stores nothing new.
        Preferences::store().remove(QLatin1String(widthKey));
        QTest::mouseClick(divider, Qt::LeftButton, {}, at);
        QVERIFY(!Preferences::store().contains(QLatin1String(widthKey)));
        Preferences::store().setValue(QLatin1String(widthKey), 552.0);

        auto next = std::make_unique<BottomSplit>();
        next->resize(1200, 400);
        QCOMPARE(next->transfersWidth(), BottomSplit::defaultWidth); // read when first shown
        next->show();
        QCOMPARE(next->transfersWidth(), 552.0);
        QCOMPARE(next->transfersPanel()->geometry(), QRect(1200 - 552, 0, 552, 400));

        // Too narrow for both minimums: the transfers panel keeps 300 and the browser gives way.
        next->resize(600, 400);
        drag(next->divider(), {-100, -200});
        QCOMPARE(next->transfersWidth(), 300.0);
    }

    void unusableStoredWidthsFallBackAndKeepTheDividerReachable() {
        const QList<std::pair<QVariant, double>> cases = {
            {QStringLiteral("wide"), 452}, {-20.0, 452}, {120.0, 300}, {qInf(), 452}, {640.0, 640}};
        for (const auto& [stored, expected] : cases) {
            Preferences::store().setValue(QLatin1String(widthKey), stored);
            BottomSplit split;
            split.resize(1200, 400);
            split.show();
            QCOMPARE(split.transfersWidth(), expected);
        }
        // A width stored on a wider screen must not push the divider out of the split.
        Preferences::store().setValue(QLatin1String(widthKey), 5000.0);
        BottomSplit split;
        split.resize(1200, 400);
        split.show();
        QVERIFY(split.rect().contains(split.divider()->geometry()));
        drag(split.divider(), {5, 10});
        QCOMPARE(split.transfersWidth(), 1200.0 - 15 - 420);
    }

    void mainViewReplacesPlaceholdersInPlace() {
        MainWindow window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        MainView* view = window.mainView();

        const auto inView = [view](QWidget* w) { return QRect(w->mapTo(view, QPoint(0, 0)), w->size()); };
        const QRect source = inView(view->sourcePanel());

        QPointer<QWidget> placeholder = view->sourcePanel();
        auto* panel = new QLabel(QStringLiteral("sources"));
        view->setSourcePanel(panel);
        QVERIFY(placeholder.isNull());
        QCOMPARE(view->sourcePanel(), panel);
        QCOMPARE(panel->window(), &window);
        QCoreApplication::processEvents();
        QCOMPARE(inView(panel), source);
        view->setSourcePanel(nullptr); // the placeholder comes back
        QVERIFY(view->sourcePanel() != nullptr);

        QSignalSpy spy(view, &MainView::showsSettingsChanged);
        QTest::mouseClick(view->titleBar()->settingsButton(), Qt::LeftButton);
        QVERIFY(view->showsSettings());
        QCOMPARE(spy.count(), 1);
    }

    void openWindowSwitchesAppearanceLive() {
        Appearance appearance;
        appearance.set(false);
        Theme::follow(appearance);
        MainWindow window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QWidget* centre = window.mainView()->centreColumn();
        const auto sample = [centre] {
            QCoreApplication::processEvents();
            return centre->grab().toImage().pixelColor(125, 180);
        };
        QCOMPARE(sample(), QColor(11, 11, 11));
        appearance.set(true);
        QVERIFY(Theme::current().isLight);
        QCOMPARE(sample(), QColor(238, 238, 238));
        appearance.set(false);
        QCOMPARE(sample(), QColor(11, 11, 11));
    }
};

int main(int argc, char** argv) {
    // A preference folder of this run's own, set before the store is first opened.
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    QApplication app(argc, argv);
    ChromeTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "ChromeTest.moc"
