// The source and destination panels over a real application state with fake services:
// drops as a file manager sends them, the three contents, the hero card's figures and the
// free-space bar.
#include "StateTestSupport.h"

#include "kit/TextLine.h"
#include "kit/Theme.h"
#include "settings/L10n.h"
#include "settings/Localization.h"
#include "settings/ResourceBundle.h"
#include "state/AppState.h"
#include "state/FileUrl.h"
#include "ui/cards/FreeSpaceBar.h"
#include "ui/cards/HeroStat.h"
#include "ui/cards/SlotCompactCard.h"
#include "ui/cards/SlotDropBox.h"
#include "ui/cards/SlotHeroCard.h"
#include "ui/panels/SlotPanel.h"

#include <QApplication>
#include <QDropEvent>
#include <QImage>
#include <QMimeData>
#include <QPainter>
#include <QTest>

#include <memory>

namespace {

/// A drag's data as desktop file managers send it: text/uri-list, CRLF separated,
/// percent-encoded.
std::unique_ptr<QMimeData> uriList(const QStringList& paths) {
    QByteArray list;
    for (const QString& path : paths) {
        list += QUrl::fromLocalFile(path).toEncoded() + "\r\n";
    }
    auto mime = std::make_unique<QMimeData>();
    mime->setData(QStringLiteral("text/uri-list"), list);
    return mime;
}

/// Drags `mime` over the panel and drops it, proposing a move as a file manager does with
/// Shift held. Returns the drop event's verdict.
std::pair<bool, Qt::DropAction> dropOn(SlotPanel& panel, const QMimeData& mime) {
    const QPointF at(panel.width() / 2.0, panel.height() / 2.0);
    QDragEnterEvent enter(at.toPoint(), Qt::CopyAction | Qt::MoveAction, &mime, Qt::LeftButton,
                          Qt::ShiftModifier);
    QApplication::sendEvent(&panel, &enter);
    if (!enter.isAccepted() || !panel.isTargeted()) {
        return {false, Qt::IgnoreAction};
    }
    QDropEvent drop(at, Qt::CopyAction | Qt::MoveAction, &mime, Qt::LeftButton, Qt::ShiftModifier);
    QApplication::sendEvent(&panel, &drop);
    return {drop.isAccepted() && !panel.isTargeted(), drop.dropAction()};
}

AppState::Services fakeServices(std::shared_ptr<Gate> gate = nullptr) {
    AppState::Services services;
    services.freeSpace = [](const QUrl&) { return qint64{5'000'000'000}; };
    services.totalSpace = [](const QUrl&) { return qint64{-1}; };
    services.scan = [gate](const std::vector<std::filesystem::path>& items) {
        if (gate) {
            gate->wait();
        }
        return std::vector<stowline::ScannedFile>{{items.front() / "a.mov", "a.mov", 1'500'000},
                                                  {items.front() / "b.mov", "b.mov", 2'500'000}};
    };
    return services;
}

int bluePixels(const QImage& image, int row) {
    int count = 0;
    for (int x = 0; x < image.width(); ++x) {
        const QColor c = image.pixelColor(x, row);
        count += (c.blue() > 150 && c.red() < 60) ? 1 : 0;
    }
    return count;
}

} // namespace

class SlotPanelTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        ResourceBundle::setPathForTesting(QStringLiteral(STOWLINE_BUNDLE_DIR));
        Localization::refresh();
    }

    void init() {
        bench = std::make_unique<JobTestBench>();
        root = bench->root;
    }

    // Two cards dropped from a file manager become two sources, in order, shown as a grid
    // with their names decoded; the drop is a copy even when the file manager offered a move.
    void dropOfTwoFoldersOnSourcesShowsGrid() {
        QDir().mkpath(root + "/Card A");
        QDir().mkpath(root + "/B%002");
        AppState state(fakeServices());
        SlotPanel panel(SlotPanel::Kind::source, state);
        panel.resize(560, 360);
        panel.show();
        QCOMPARE(panel.mode(), SlotPanel::Mode::dropBox);
        QVERIFY(qobject_cast<SlotDropBox*>(panel.content())->pointsUp());

        const auto mime = uriList({root + "/Card A", root + "/B%002"});
        const auto [accepted, action] = dropOn(panel, *mime);
        QVERIFY(accepted);
        QCOMPARE(action, Qt::CopyAction);
        QVERIFY(settle(state));
        QCOMPARE(state.sources().size(), 2);
        QCOMPARE(state.sources()[0].url, FileUrl::fromPath(root + "/Card A"));
        QCOMPARE(panel.mode(), SlotPanel::Mode::grid);
        QCOMPARE(panel.compactCards().size(), 2);
        QCOMPARE(panel.compactCards()[0]->name(), QStringLiteral("Card A"));
        QCOMPARE(panel.compactCards()[1]->name(), QStringLiteral("B%002"));
        QTRY_COMPARE(panel.compactCards()[1]->subtitle(), byteText(4'000'000));

        // Removing one through its card's badge goes back to the hero card.
        auto* badge = panel.compactCards()[0]->findChild<QAbstractButton*>(QStringLiteral("removeBadge"));
        QVERIFY(badge);
        badge->click();
        QCOMPARE(state.sources().size(), 1);
        QCOMPARE(panel.mode(), SlotPanel::Mode::hero);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); // the old grid goes
        QCOMPARE(panel.findChildren<SlotCompactCard*>().size(), 0);
    }

    // Plain files and non-file URLs add no destination, yet a file drop is accepted.
    void plainFileOnDestinationsAddsNothing() {
        writeFile(root + "/clip.mov", 100);
        AppState state(fakeServices());
        SlotPanel panel(SlotPanel::Kind::destination, state);
        panel.resize(560, 360);
        panel.show();
        QVERIFY(!qobject_cast<SlotDropBox*>(panel.content())->pointsUp());

        const auto [accepted, action] = dropOn(panel, *uriList({root + "/clip.mov"}));
        QVERIFY(accepted);
        QCOMPARE(action, Qt::CopyAction);
        QVERIFY(settle(state));
        QVERIFY(state.destinations().isEmpty());
        QCOMPARE(panel.mode(), SlotPanel::Mode::dropBox);

        QMimeData web;
        web.setUrls({QUrl(QStringLiteral("https://example.com/a"))});
        QVERIFY(!dropOn(panel, web).first); // not even a target
    }

    // A source still being measured shows dashes and the scanning text; then its figures.
    void heroSourceShowsDashesWhileScanning() {
        QDir().mkpath(root + "/A001");
        auto gate = std::make_shared<Gate>();
        AppState state(fakeServices(gate));
        SlotPanel panel(SlotPanel::Kind::source, state);
        panel.resize(560, 360);
        panel.show();
        QVERIFY(addSources(state, {FileUrl::fromPath(root + "/A001")}));
        QCOMPARE(panel.mode(), SlotPanel::Mode::hero);
        auto* files = panel.findChild<HeroStat*>(QStringLiteral("heroFiles"));
        auto* size = panel.findChild<HeroStat*>(QStringLiteral("heroSize"));
        auto* status = panel.findChild<TextLine*>(QStringLiteral("heroStatus"));
        QVERIFY(files && size && status);
        QCOMPARE(files->value(), QStringLiteral("—"));
        QCOMPARE(size->value(), QStringLiteral("—"));
        QCOMPARE(status->text(), L10n::t("slotpanel.scanning"));
        QCOMPARE(panel.findChild<TextLine*>(QStringLiteral("heroName"))->text(), QStringLiteral("A001"));

        gate->open();
        QTRY_VERIFY(state.sources().front().scanned);
        QCOMPARE(files->value(), QStringLiteral("2"));
        QCOMPARE(size->value(), byteText(4'000'000));
        QCOMPARE(status->text(), byteText(4'000'000));
        QCOMPARE(files->label(), L10n::t("slotpanel.stat.files"));
    }

    // Unknown capacity: the free bytes alone and no bar. Nothing free of a valid capacity:
    // 0 % and a bar filled to its end.
    void freeSpaceBarFigures() {
        const FreeSpaceBar unknown{5'000'000'000, -1};
        QVERIFY(!unknown.hasBar());
        QCOMPARE(unknown.valueText(), byteText(5'000'000'000));
        QVERIFY(!FreeSpaceBar({2000, 1000}).hasBar()); // more free than capacity: nonsense
        QVERIFY(!FreeSpaceBar({-1, 1000}).hasBar());
        // A drive that did not tell, or did not answer in time.
        QCOMPARE(FreeSpaceBar({-1, -1}).valueText(), L10n::t("slotpanel.free.unknown"));

        const FreeSpaceBar full{0, 2'000'000'000'000};
        QCOMPARE(full.usedFraction(), std::optional(1.0));
        QCOMPARE(full.percentFree(), 0);
        QCOMPARE(full.valueText(), L10n::tf("slotpanel.free.value", 0, byteText(2'000'000'000'000)));
        // Exactly: (1 − 0.93) × 100 in floating point is 6.99…
        QCOMPARE(FreeSpaceBar({7, 100}).percentFree(), 7);
        QCOMPARE(FreeSpaceBar({100, 100}).percentFree(), 100);

        // The drawn bar is as long as the used share: all of it, then half.
        const Theme theme = Theme::forAppearance(false);
        const int row = qCeil(full.height()) - 3; // the bar's middle
        for (const auto& [bar, blue, slack] :
             {std::tuple{full, 230, 10}, std::tuple{FreeSpaceBar{500, 1000}, 115, 3}}) {
            QImage image(230, qCeil(bar.height()), QImage::Format_ARGB32);
            image.fill(theme.windowBackground);
            QPainter p(&image);
            bar.paint(p, QRectF(image.rect()), theme);
            p.end();
            QVERIFY2(qAbs(bluePixels(image, row) - blue) <= slack,
                     qPrintable(QString::number(bluePixels(image, row))));
        }
        QVERIFY(unknown.height() < full.height());
    }

private:
    std::unique_ptr<JobTestBench> bench;
    QString root;
};

QTEST_MAIN(SlotPanelTest)
#include "SlotPanelTest.moc"
