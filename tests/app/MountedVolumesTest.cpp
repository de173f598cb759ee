// Real mounts coming and going under the application state: items that leave with their
// volume, starts that refuse another disk, a job on a card unmounted under it, the names
// paths are shown by, and a drive that stops answering while the window goes on. Runs in
// a mount namespace of its own.
#include "FuseMount.h"
#include "MountNamespace.h"
#include "StateTestSupport.h"

#include "platform/DisplayPath.h"
#include "platform/MountInfo.h"
#include "platform/MountInfoVolumeService.h"
#include "settings/L10n.h"
#include "settings/Localization.h"
#include "settings/ResourceBundle.h"
#include "ui/panels/SlotPanel.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>

#include <memory>

using namespace std::chrono_literals;
using MountNamespace::Tmpfs;

#define REQUIRE_MOUNTED(mount)                                                                               \
    if (!(mount).mounted())                                                                                  \
    QSKIP(qPrintable(QStringLiteral("mounting a tmpfs is not permitted here: ") + (mount).error()))

class MountedVolumesTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        if (!MountNamespace::refusal().isEmpty()) {
            QSKIP(qPrintable(QStringLiteral("no mount namespace of its own: ") + MountNamespace::refusal()));
        }
        ResourceBundle::setPathForTesting(QStringLiteral(STOWLINE_BUNDLE_DIR));
        Localization::setOverride(stowline::SupportedLanguage::en);
    }

    void init() {
        bench = std::make_unique<JobTestBench>();
        // Under /mnt, where user-visible volumes are listed.
        place = std::make_unique<QTemporaryDir>(QStringLiteral("/mnt/stowline-test-XXXXXX"));
        if (!place->isValid()) {
            QSKIP("cannot create a folder under /mnt");
        }
        at = place->path();
    }
    void cleanup() {
        place.reset();
        bench.reset();
    }

    // The mount point folders stay behind, empty; the card's and the drive's items go all
    // the same, and a destination on the system disk stays.
    void unmountedVolumesTakeTheirItems() {
        Tmpfs card(at + "/CARD");
        Tmpfs drive(at + "/DRIVE");
        REQUIRE_MOUNTED(card);
        writeFile(at + "/CARD/DCIM/a.mov", 1000);
        MountInfoVolumeService volumes;
        AppState::Services services;
        services.volumes = &volumes;
        AppState state(services);
        QVERIFY(stage(state, at, {"/CARD/DCIM"}, {"/DRIVE"}));
        QVERIFY(addDestinations(state, {fileUrl(bench->root)}));
        QCOMPARE(state.sources().size(), 1);
        QCOMPARE(state.destinations().size(), 2);

        card.unmount();
        drive.unmount();
        QTRY_VERIFY(state.sources().isEmpty());
        QTRY_COMPARE(state.destinations().size(), 1);
        QCOMPARE(state.destinations()[0].url, fileUrl(bench->root));
        QVERIFY(QDir(at + "/DRIVE").exists());
    }

    void startRefusesAVolumeThatMoved_data() {
        QTest::addColumn<QString>("unmounted");
        QTest::newRow("card") << QStringLiteral("CARD");
        QTest::newRow("drive") << QStringLiteral("DRIVE");
    }

    // Unmounted before the lists heard of it (no notice here): the start finds the item on
    // another disk and refuses, naming it; nothing lands on the system disk's empty folder.
    void startRefusesAVolumeThatMoved() {
        QFETCH(QString, unmounted);
        Tmpfs card(at + "/CARD");
        Tmpfs drive(at + "/DRIVE");
        REQUIRE_MOUNTED(card);
        writeFile(at + "/CARD/a.mov", 1000);
        FakeVolumes quiet;
        AppState::Services services;
        services.volumes = &quiet;
        AppState state(services);
        QVERIFY(stage(state, at, {"/CARD"}, {"/DRIVE"}));

        (unmounted == QLatin1String("CARD") ? card : drive).unmount();
        QVERIFY(start(state));
        QCOMPARE(state.startError(), std::optional(L10n::t("appstate.volume_changed_error", {unmounted})));
        QVERIFY(state.jobs().isEmpty());
        QCOMPARE(state.pendingSources().size(), 1);
        if (!drive.mounted()) {
            QVERIFY(QDir(at + "/DRIVE").entryList(QDir::AllEntries | QDir::NoDotAndDotDot).isEmpty());
        }
    }

    // A card unmounted after the start: the engine finds its empty mount point folder. That
    // is not "done with 0 files" but sources that could not be read.
    void jobOnAnUnmountedCardEndsInSourceError() {
        Tmpfs card(at + "/CARD");
        REQUIRE_MOUNTED(card);
        writeFile(at + "/CARD/a.mov", 1000);
        SourceItem item;
        item.id = QUuid::createUuid();
        item.url = fileUrl(at + "/CARD");
        item.volume = ItemVolume::locate(QFile::encodeName(at + "/CARD"), MountInfo::systemMounts());
        QVERIFY(item.volume);
        QCOMPARE(item.volume->mountPoint, at + "/CARD");
        QDir().mkpath(bench->root + "/drive");

        card.unmount();
        TransferJob job({item}, {fileUrl(bench->root + "/drive")});
        job.start();
        QTRY_VERIFY_WITH_TIMEOUT(!job.isActive(), 30000);
        QCOMPARE(job.phase(), TransferJob::Phase::sourceError);
        QCOMPARE(bench->notifications.posted.size(), 1);
        QCOMPARE(bench->notifications.posted[0].second, L10n::t("transferjob.source_read_failed", {"CARD"}));
        QVERIFY(hashLogFiles(bench->root + "/drive").isEmpty());
    }

    // A card mounted after the start is shown by its own name, and by the start-up volume's
    // once it is gone again.
    void displayPathsFollowTheMountTable() {
        MountInfoVolumeService volumes;
        AppState::Services services;
        services.volumes = &volumes;
        AppState state(services);
        const QString path = at + "/NEWCARD/DCIM";
        const QString elsewhere = DisplayPath::bootVolumeName() + path;
        QCOMPARE(DisplayPath::displayPath(path), elsewhere);

        Tmpfs card(at + "/NEWCARD");
        REQUIRE_MOUNTED(card);
        QTRY_COMPARE(DisplayPath::displayPath(path), QStringLiteral("NEWCARD/DCIM"));
        card.unmount();
        QTRY_COMPARE(DisplayPath::displayPath(path), elsewhere);
    }

    // A FUSE drive that stops answering: the mount table changes, a file from it is added, a
    // start includes it, the panels paint. Its figures become unknown and the start is
    // refused, while the window's event loop never stops turning; answering again, its
    // figures come back by themselves.
    void deadDriveNeverStopsTheWindow() {
        QDir().mkpath(at + "/dead");
        FuseMount fuse(at + "/dead");
        if (!fuse.mounted()) {
            QSKIP(qPrintable(QStringLiteral("cannot mount a FUSE file system here: ") + fuse.error()));
        }
        Tmpfs card(at + "/CARD");
        REQUIRE_MOUNTED(card);
        writeFile(at + "/CARD/a.mov", 1000);
        MountInfoVolumeService volumes;
        AppState::Services services;
        services.volumes = &volumes;
        services.spaceLimit = 300ms;
        services.checkLimit = 600ms;
        services.retryAfter = 300ms;
        AppState state(services);
        const qint64 capacity = FuseMount::blocks * FuseMount::blockSize;
        QVERIFY(stage(state, at, {"/CARD"}, {}));
        QVERIFY(addDestinations(state, {fileUrl(at + "/dead")}));
        QCOMPARE(state.destinations().size(), 1);
        QCOMPARE(state.destinations()[0].capacityBytes, capacity);
        QCOMPARE(state.destinations()[0].freeBytes, qint64{FuseMount::freeBlocks * FuseMount::blockSize});
        SlotPanel panel(SlotPanel::Kind::destination, state);
        panel.resize(560, 360);
        (void)panel.grab();

        // A tick every 10 ms; the longest gap tells whether the window's thread ever waited.
        QElapsedTimer sinceTick;
        qint64 longestGap = 0;
        QTimer ticker;
        ticker.setInterval(10);
        connect(&ticker, &QTimer::timeout, this,
                [&] { longestGap = std::max(longestGap, sinceTick.restart()); });
        sinceTick.start();
        ticker.start();

        fuse.freeze(10s);           // a window thread caught in the drive fails the gap check below
        Tmpfs other(at + "/OTHER"); // the mount table changes: every drive is asked again
        REQUIRE_MOUNTED(other);
        QTRY_COMPARE_WITH_TIMEOUT(state.destinations()[0].capacityBytes, -1, 5000);
        const auto disk = std::find_if(state.disks().cbegin(), state.disks().cend(),
                                       [&](const DiskItem& d) { return d.url == fileUrl(at + "/dead"); });
        QVERIFY(disk != state.disks().cend());
        QCOMPARE(disk->totalBytes, 0);
        QCOMPARE(DisplayPath::displayPath(at + "/dead/DCIM"), QStringLiteral("dead/DCIM"));
        (void)panel.grab();

        QVERIFY(addSources(state, {fileUrl(at + "/dead")}));
        QCOMPARE(state.sources().size(), 1); // nothing comes from a drive that does not answer
        QVERIFY(start(state));
        QCOMPARE(state.startError(), std::optional(L10n::t("appstate.drive_not_answering_error")));
        QVERIFY(state.jobs().isEmpty());
        QTest::qWait(400); // a retry or two while it is still dead
        QVERIFY2(longestGap < 1000,
                 qPrintable(QStringLiteral("the event loop stood still for %1 ms").arg(longestGap)));

        fuse.thaw();
        QTRY_COMPARE_WITH_TIMEOUT(state.destinations()[0].capacityBytes, capacity, 5000);
        ticker.stop();
    }

private:
    std::unique_ptr<JobTestBench> bench;
    std::unique_ptr<QTemporaryDir> place;
    QString at;
};

STOWLINE_MOUNT_TEST_MAIN(MountedVolumesTest)
#include "MountedVolumesTest.moc"
