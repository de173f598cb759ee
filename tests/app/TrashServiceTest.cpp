// Moving to the trash as the desktop does: the home trash with a percent-encoded path in the
// .trashinfo (a newline or a byte that is not UTF-8 stays inside it), nothing left behind
// when the move fails, the volume's own ".Trash-$uid" on another file system, and a
// read-only volume reported as one without a trash.
#include "platform/TrashService.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <sched.h>
#include <string>
#include <sys/mount.h>
#include <unistd.h>

namespace {

// Set in main(), before any thread exists: a mount namespace of this test's own.
bool mountsAllowed = false;
QByteArray volumeRoot;

QByteArray homeTrash() {
    return qgetenv("XDG_DATA_HOME") + "/Trash";
}

bool makeFile(const QByteArray& path, const QByteArray& contents) {
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL, 0644);
    if (fd < 0) {
        return false;
    }
    const bool written =
        ::write(fd, contents.constData(), static_cast<size_t>(contents.size())) == contents.size();
    return ::close(fd) == 0 && written;
}

// The .trashinfo files' paths, read as bytes (names need not be UTF-8).
QList<QByteArray> infoFiles(const QByteArray& trash) {
    QList<QByteArray> files;
    const QByteArray folder = trash + "/info";
    if (DIR* listing = ::opendir(folder.constData())) {
        while (const dirent* entry = ::readdir(listing)) {
            if (QByteArray(entry->d_name).endsWith(".trashinfo")) {
                files << folder + '/' + entry->d_name;
            }
        }
        ::closedir(listing);
    }
    return files;
}

// The Path= value of the only .trashinfo in `trash`, decoded to bytes.
QByteArray trashedPath(const QByteArray& trash, QByteArray* rawLine = nullptr) {
    const QList<QByteArray> infos = infoFiles(trash);
    if (infos.size() != 1) {
        return {};
    }
    QByteArray contents(4096, '\0');
    const int fd = ::open(infos.front().constData(), O_RDONLY);
    const ssize_t got = fd < 0 ? -1 : ::read(fd, contents.data(), static_cast<size_t>(contents.size()));
    if (fd >= 0) {
        ::close(fd);
    }
    contents.resize(std::max<ssize_t>(got, 0));
    for (const QByteArray& line : contents.split('\n')) {
        if (line.startsWith("Path=")) {
            if (rawLine) {
                *rawLine = line;
            }
            return QByteArray::fromPercentEncoding(line.mid(5));
        }
    }
    return {};
}

} // namespace

class TrashServiceTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup() {
        std::error_code ignored;
        std::filesystem::remove_all(homeTrash().toStdString(), ignored);
    }

    void strangeNamesKeepTheirPathInTheTrashInfo_data() {
        QTest::addColumn<QByteArray>("name");
        QTest::newRow("a newline, spaces and a percent sign") << QByteArray("A 001\n50% take.mov");
        QTest::newRow("bytes that are not UTF-8") << QByteArray("A 001\n50% \xff.mov");
    }
    void strangeNamesKeepTheirPathInTheTrashInfo() {
        QFETCH(QByteArray, name);
        // Beside the data folder, so on the home trash's file system.
        QTemporaryDir dir(QFile::decodeName(qgetenv("XDG_DATA_HOME")) +
                          QStringLiteral("/../trash-test-XXXXXX"));
        QVERIFY(dir.isValid());
        const QByteArray path = QFile::encodeName(dir.path()) + '/' + name;
        QVERIFY(makeFile(path, "take"));
        TrashService trash;
        const auto failure = trash.moveToTrash(path);
        QVERIFY2(!failure, failure ? qPrintable(failure->description) : "");
        QVERIFY(::access(path.constData(), F_OK) != 0);
        QByteArray line;
        QCOMPARE(trashedPath(homeTrash(), &line), path);
        QVERIFY(!line.contains(' ') && !line.contains('\xff')); // encoded, one line
    }

    void aFailedMoveLeavesNothingBehind() {
        TrashService trash;
        const auto failure = trash.moveToTrash(qgetenv("XDG_DATA_HOME") + "/../no such file here");
        QVERIFY(failure);
        QCOMPARE(failure->kind, TrashService::Failure::Kind::other);
        QVERIFY(infoFiles(homeTrash()).isEmpty());
    }

    void anotherVolumeUsesItsOwnTrashOrSaysItHasNone() {
        if (!mountsAllowed) {
            QSKIP("mounting is refused here");
        }
        const QByteArray path = volumeRoot + "/C0001.MP4";
        QVERIFY(makeFile(path, "clip"));
        TrashService trash;
        const auto moved = trash.moveToTrash(path);
        QVERIFY2(!moved, moved ? qPrintable(moved->description) : "");
        const QByteArray volumeTrash = volumeRoot + "/.Trash-" + QByteArray::number(::getuid());
        QCOMPARE(trashedPath(volumeTrash), QByteArray("C0001.MP4")); // relative to the volume's top
        QVERIFY(infoFiles(homeTrash()).isEmpty());

        // Read-only and without a trash: it says so, and the file stays.
        QDir(QFile::decodeName(volumeTrash)).removeRecursively();
        QVERIFY(makeFile(volumeRoot + "/C0002.MP4", "clip"));
        QCOMPARE(::mount(nullptr, volumeRoot.constData(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr), 0);
        const auto failure = trash.moveToTrash(volumeRoot + "/C0002.MP4");
        QVERIFY(failure);
        QCOMPARE(failure->kind, TrashService::Failure::Kind::noTrashOnVolume);
        QVERIFY(::access((volumeRoot + "/C0002.MP4").constData(), F_OK) == 0);
    }
};

int main(int argc, char** argv) {
    // A volume where removable drives are mounted, of a kind GIO gives a trash (it gives
    // none to tmpfs and other system mounts): a small ext4 image, loop-mounted in a private
    // mount namespace that goes with the process, set up before Qt starts any thread.
    static char folder[] = "/media/stowline-trash-volume-XXXXXX";
    const std::string image =
        std::string("/tmp/stowline-trash-volume.") + std::to_string(::getpid()) + ".img";
    if (::mkdtemp(folder) != nullptr && ::unshare(CLONE_NEWNS) == 0 &&
        ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0 &&
        std::system(("truncate -s 8M " + image + " && mkfs.ext4 -q " + image +
                     " 2>/dev/null && mount -o loop " + image + " " + folder + " 2>/dev/null")
                        .c_str()) == 0) {
        mountsAllowed = true;
        volumeRoot = folder;
    }
    TrashServiceTest test;
    const int status = QTest::qExec(&test, argc, argv);
    if (mountsAllowed) {
        ::umount2(folder, MNT_DETACH);
    }
    ::rmdir(folder);
    ::unlink(image.c_str());
    return status;
}

#include "TrashServiceTest.moc"
