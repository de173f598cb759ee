#pragma once
// Tests that mount (tmpfs, FUSE) run in a mount namespace of their own: their mounts are
// invisible to the rest of the machine and vanish with the test process, however it ends.
#include <QApplication>
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTest>

#include <cerrno>
#include <cstring>

#include <sched.h>
#include <sys/mount.h>

namespace MountNamespace {

/// Why this process could not get a namespace of its own; empty when it has one.
inline QString& refusal() {
    static QString why = QStringLiteral("not entered");
    return why;
}

/// Enters a private mount namespace. Call first thing in main, before any thread starts:
/// threads started later share it, earlier ones would not.
inline void enter() {
    if (::unshare(CLONE_NEWNS) != 0) {
        refusal() = QStringLiteral("unshare: ") + QString::fromLocal8Bit(std::strerror(errno));
        return;
    }
    // Mounts made here must not travel back to the parent namespace.
    if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
        refusal() = QStringLiteral("making / private: ") + QString::fromLocal8Bit(std::strerror(errno));
        return;
    }
    refusal().clear();
}

/// A small tmpfs mounted for one test, unmounted on every way out (unless unmounted first).
class Tmpfs {
public:
    explicit Tmpfs(const QString& where, const char* size = "size=8m") : where_(QFile::encodeName(where)) {
        QDir().mkpath(where);
        if (::mount("tmpfs", where_.constData(), "tmpfs", 0, size) == 0) {
            mounted_ = true;
        } else {
            error_ = QString::fromLocal8Bit(std::strerror(errno));
        }
    }
    ~Tmpfs() { unmount(); }
    Tmpfs(const Tmpfs&) = delete;
    Tmpfs& operator=(const Tmpfs&) = delete;

    [[nodiscard]] bool mounted() const { return mounted_; }
    [[nodiscard]] const QString& error() const { return error_; }
    /// Unmounts now; the folder stays behind, empty, as after a real unmount.
    bool unmount() {
        if (mounted_ && ::umount2(where_.constData(), 0) != 0) {
            ::umount2(where_.constData(), MNT_DETACH);
        }
        const bool was = mounted_;
        mounted_ = false;
        return was;
    }

private:
    QByteArray where_;
    bool mounted_ = false;
    QString error_;
};

} // namespace MountNamespace

/// QTEST_MAIN, in a mount namespace of the test's own.
#define STOWLINE_MOUNT_TEST_MAIN(TestObject)                                                                 \
    int main(int argc, char* argv[]) {                                                                       \
        MountNamespace::enter();                                                                             \
        QApplication app(argc, argv);                                                                        \
        TestObject tc;                                                                                       \
        QTEST_SET_MAIN_SOURCE_PATH                                                                           \
        return QTest::qExec(&tc, argc, argv);                                                                \
    }
