#include "platform/MountInfo.h"
#include "MountNamespace.h"
#include "platform/MountInfoVolumeService.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <cstring>

#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace {

// A desktop with a root disk, two cards (one label with a space), a network share, a
// user's tmpfs under /mnt and the usual kernel mounts that must stay hidden.
const QByteArray sampleTable =
    "22 27 0:21 / /proc rw,relatime shared:12 - proc proc rw\n"
    "23 27 0:22 / /sys rw,relatime - sysfs sysfs rw\n"
    "27 1 8:2 / / rw,relatime shared:1 - ext4 /dev/sda2 rw\n"
    "30 23 0:26 / /sys/fs/cgroup rw - cgroup2 cgroup2 rw\n"
    "41 27 0:40 / /run/user/1000 rw - tmpfs tmpfs rw,size=800k\n"
    "88 27 8:17 / /media/ana/CARD\\040A rw,nosuid shared:80 master:2 - exfat /dev/sdb1 rw\n"
    "89 27 8:33 / /run/media/ana/Backup\\134Disk rw - ext4 /dev/sdc1 rw\n"
    "90 27 0:50 / /mnt/scratch rw - tmpfs tmpfs rw,size=8m\n"
    "91 27 0:51 / /mnt/share rw - nfs4 server:/export rw\n"
    "92 27 0:52 / /mnt/auto rw - autofs systemd-1 rw\n"
    "93 27 8:49 / /media/ana/.hidden rw - ext4 /dev/sdd1 rw\n"
    "94 27 8:50 / /srv/data rw - ext4 /dev/sdd2 rw\n"
    "broken line without separator\n"
    "95 27 8:51 / /mnt/scratch rw - ext4 /dev/sde1 rw\n";

QStringList mountPoints(const QList<MountedVolume>& volumes) {
    QStringList points;
    for (const MountedVolume& volume : volumes) {
        points.append(volume.mountPoint);
    }
    return points;
}

} // namespace

class MountInfoTest : public QObject {
    Q_OBJECT

private slots:
    void escapesAreDecoded() {
        QCOMPARE(MountInfo::decodeOctal("/media/a\\040b\\011c\\134d"), QStringLiteral("/media/a b\tc\\d"));
        // UTF-8 names pass through; an escape that is cut short stays as written.
        QCOMPARE(MountInfo::decodeOctal("/mnt/Câmera\\04"), QStringLiteral("/mnt/Câmera\\04"));
        QCOMPARE(MountInfo::decodeHex("CARD\\x20A"), QStringLiteral("CARD A"));
        QCOMPARE(MountInfo::decodeHex("C\\xc3\\xa2mera\\x2"), QStringLiteral("Câmera\\x2"));
    }

    void parserKeepsFieldsAfterOptionalOnes() {
        const QList<MountInfo::Entry> entries = MountInfo::parse(sampleTable);
        QCOMPARE(entries.size(), 13); // the broken line is dropped
        const MountInfo::Entry card = entries[5];
        QCOMPARE(card.device, makedev(8, 17));
        QCOMPARE(card.mountPoint, QStringLiteral("/media/ana/CARD A"));
        QCOMPARE(card.fsType, QStringLiteral("exfat"));
        QCOMPARE(card.source, QStringLiteral("/dev/sdb1"));
        QCOMPARE(card.root, QStringLiteral("/"));
    }

    void onlyUserVisibleVolumesAreKept() {
        const QList<MountedVolume> volumes = MountInfo::volumes(sampleTable, {}, QStringLiteral("host"));
        // Root first, in table order; the stacked /mnt/scratch shows the topmost mount once.
        QCOMPARE(mountPoints(volumes), QStringList({"/", "/media/ana/CARD A", "/run/media/ana/Backup\\Disk",
                                                    "/mnt/share", "/mnt/scratch"}));
        QCOMPARE(volumes[0].name, QStringLiteral("host"));
        QCOMPARE(volumes[1].name, QStringLiteral("CARD A"));
        QCOMPARE(volumes[4].name, QStringLiteral("scratch"));
        QCOMPARE(volumes[1].totalBytes, -1);
        QCOMPARE(volumes[4].device, makedev(8, 51));

        // Every mount, hidden or not, a stacked place once.
        const QList<Mount> mounts = MountInfo::mounts(sampleTable);
        QCOMPARE(mounts.size(), 12);
        QCOMPARE(mounts.back(), (Mount{QStringLiteral("/mnt/scratch"), makedev(8, 51)}));
        QVERIFY(mounts.contains(Mount{QStringLiteral("/srv/data"), makedev(8, 50)}));

        MountInfo::Entry userTmpfs{"/", "/mnt/ram", "tmpfs", "tmpfs"};
        QVERIFY(MountInfo::isUserVisible(userTmpfs));
        MountInfo::Entry lookalike{"/", "/mntx/disk", "ext4", "/dev/sdf1"};
        QVERIFY(!MountInfo::isUserVisible(lookalike));
        MountInfo::Entry overlayRoot{"/", "/", "overlay", "overlay"};
        QVERIFY(MountInfo::isUserVisible(overlayRoot));
    }

    void labelsComeFromTheByLabelFolder() {
        QTemporaryDir fake;
        QVERIFY(fake.isValid());
        QDir root(fake.path());
        QVERIFY(root.mkpath("dev/disk/by-label"));
        // Stand-in device nodes, and links named the way udev escapes labels.
        for (const char* device : {"sda2", "sdb1", "sdc1"}) {
            QFile node(root.filePath(QStringLiteral("dev/") + QLatin1String(device)));
            QVERIFY(node.open(QIODevice::WriteOnly));
        }
        QVERIFY(QFile::link("../../sdb1", root.filePath("dev/disk/by-label/CARD\\x20A\\x20")));
        QVERIFY(QFile::link("../../sda2", root.filePath("dev/disk/by-label/System")));
        QVERIFY(QFile::link("../../gone", root.filePath("dev/disk/by-label/Dangling")));

        const QHash<QString, QString> labels = MountInfo::labelsByDevice(root.filePath("dev/disk/by-label"));
        QCOMPARE(labels.size(), 2);
        const QString sdb1 = QFileInfo(root.filePath("dev/sdb1")).canonicalFilePath();
        QCOMPARE(labels.value(sdb1), QStringLiteral("CARD A"));

        // The table names devices through a symlink of its own, as /dev/mapper does.
        QVERIFY(QFile::link(root.filePath("dev/sdc1"), root.filePath("dev/mapped")));
        const QByteArray table = "27 1 8:2 / / rw - ext4 " + QFile::encodeName(root.filePath("dev/sda2")) +
                                 " rw\n"
                                 "88 27 8:17 / /media/x/untitled rw - exfat " +
                                 QFile::encodeName(root.filePath("dev/sdb1")) +
                                 " rw\n"
                                 "89 27 8:33 / /media/x/Mapped rw - ext4 " +
                                 QFile::encodeName(root.filePath("dev/mapped")) + " rw\n";
        const QString sdc1 = QFileInfo(root.filePath("dev/sdc1")).canonicalFilePath();
        QHash<QString, QString> withMapped = labels;
        withMapped.insert(sdc1, QStringLiteral("Backup"));
        const QList<MountedVolume> volumes = MountInfo::volumes(table, withMapped, QStringLiteral("host"));
        QCOMPARE(volumes.size(), 3);
        QCOMPARE(volumes[0].name, QStringLiteral("System"));
        QCOMPARE(volumes[1].name, QStringLiteral("CARD A"));
        QCOMPARE(volumes[2].name, QStringLiteral("Backup"));
        QCOMPARE(MountInfo::rootLabel(table, labels), QStringLiteral("System"));
        QVERIFY(MountInfo::labelsByDevice(root.filePath("no/such/folder")).isEmpty());
    }

    // A real mount under /mnt is announced once and listed; its unmount is announced too.
    void mountingAndUnmountingAreNoticed() {
        if (!MountNamespace::refusal().isEmpty()) {
            QSKIP(qPrintable(QStringLiteral("no mount namespace of its own: ") + MountNamespace::refusal()));
        }
        QTemporaryDir place(QStringLiteral("/mnt/stowline-test-XXXXXX"));
        if (!place.isValid()) {
            QSKIP("cannot create a folder under /mnt");
        }
        MountInfoVolumeService service;
        QSignalSpy changed(&service, &VolumeService::volumesChanged);
        const QByteArray target = QFile::encodeName(place.path());
        if (::mount("tmpfs", target.constData(), "tmpfs", 0, "size=8m") != 0) {
            QSKIP(qPrintable(QStringLiteral("mounting is not permitted here: ") +
                             QString::fromLocal8Bit(std::strerror(errno))));
        }
        struct Unmount {
            QByteArray path;
            bool mounted = true;
            ~Unmount() {
                if (mounted) {
                    ::umount2(path.constData(), MNT_DETACH);
                }
            }
        } guard{target};

        QVERIFY(changed.wait(5000));
        const QList<MountedVolume> mounted = service.mountedVolumes();
        const auto found = std::find_if(mounted.begin(), mounted.end(), [&](const MountedVolume& volume) {
            return volume.mountPoint == place.path();
        });
        QVERIFY(found != mounted.end());
        QCOMPARE(found->name, QDir(place.path()).dirName());
        QCOMPARE(found->totalBytes, -1); // measuring may wait on the drive: left to the state
        struct stat info {};
        QCOMPARE(::stat(target.constData(), &info), 0);
        QCOMPARE(found->device, static_cast<quint64>(info.st_dev));
        QVERIFY(service.mounts().contains(Mount{place.path(), found->device}));

        QCOMPARE(::umount2(target.constData(), 0), 0);
        guard.mounted = false;
        QVERIFY(changed.wait(5000));
        QVERIFY(!mountPoints(service.mountedVolumes()).contains(place.path()));
    }
};

STOWLINE_MOUNT_TEST_MAIN(MountInfoTest)
#include "MountInfoTest.moc"
