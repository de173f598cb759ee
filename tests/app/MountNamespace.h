#pragma once
// Tests that mount (tmpfs, FUSE) run in a mount namespace of their own: their mounts are
// invisible to the rest of the machine and vanish with the test process, however it ends.
#include <QCoreApplication>
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

} // namespace MountNamespace

/// QTEST_GUILESS_MAIN, in a mount namespace of the test's own.
#define STOWLINE_MOUNT_TEST_MAIN(TestObject)                                                                 \
    int main(int argc, char* argv[]) {                                                                       \
        MountNamespace::enter();                                                                             \
        QCoreApplication app(argc, argv);                                                                    \
        TestObject tc;                                                                                       \
        QTEST_SET_MAIN_SOURCE_PATH                                                                           \
        return QTest::qExec(&tc, argc, argv);                                                                \
    }
