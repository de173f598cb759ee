#include "platform/DisplayPath.h"

#include <QFileInfo>
#include <QSysInfo>
#include <QTest>

class DisplayPathTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        DisplayPath::setBootVolumeNameForTesting(QStringLiteral("Workstation"));
        DisplayPath::setVolumes({
            {"/", "", 1000},
            {"/media/ana/CARD A", "A001 Card", 64},
            {"/mnt/raid", "raid", 10},
            {"/mnt/raid/projects", "Projects", 5},
            {"/media/ana/blank", "", 5},
        });
    }

    void paths_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("shown");
        QTest::newRow("root alone") << "/"
                                    << "Workstation";
        QTest::newRow("home") << "/home/ana/Movies"
                              << "Workstation/home/ana/Movies";
        QTest::newRow("volume itself") << "/media/ana/CARD A"
                                       << "A001 Card";
        QTest::newRow("inside a volume") << "/media/ana/CARD A/DCIM/A001.MOV"
                                         << "A001 Card/DCIM/A001.MOV";
        QTest::newRow("trailing slash") << "/media/ana/CARD A/DCIM/"
                                        << "A001 Card/DCIM";
        // A sibling whose name merely starts like a volume is not inside it.
        QTest::newRow("prefix lookalike") << "/media/ana/CARD AB/x"
                                          << "Workstation/media/ana/CARD AB/x";
        QTest::newRow("volume's parent") << "/media/ana"
                                         << "Workstation/media/ana";
        QTest::newRow("nested mount wins") << "/mnt/raid/projects/day1"
                                           << "Projects/day1";
        QTest::newRow("outer mount") << "/mnt/raid/archive"
                                     << "raid/archive";
        QTest::newRow("unnamed volume") << "/media/ana/blank/x"
                                        << "Workstation/media/ana/blank/x";
        QTest::newRow("components trimmed") << "/home/ \tana\t/ clip "
                                            << "Workstation/home/ana/clip";
        QTest::newRow("doubled slashes") << "//home//ana"
                                         << "Workstation/home/ana";
    }

    void paths() {
        QFETCH(QString, path);
        QFETCH(QString, shown);
        QCOMPARE(DisplayPath::displayPath(path), shown);
    }

    // Without a label on "/" the machine is named after its host, not some other system's
    // default disk name.
    void bootNameFallsBackToTheHostName() {
        DisplayPath::setBootVolumeNameForTesting(std::nullopt);
        const QString name = DisplayPath::bootVolumeName();
        DisplayPath::setBootVolumeNameForTesting(QStringLiteral("Workstation"));
        QVERIFY(!name.isEmpty());
        if (QFileInfo::exists(QStringLiteral("/dev/disk/by-label"))) {
            QSKIP("this machine labels its disks; the host name fallback is not reached");
        }
        QCOMPARE(name, QSysInfo::machineHostName().trimmed());
    }
};

QTEST_GUILESS_MAIN(DisplayPathTest)
#include "DisplayPathTest.moc"
