#include "state/SlowCall.h"

#include <QHash>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <thread>

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace SlowCall {
namespace {

struct Registry {
    std::mutex mutex;
    QHash<QString, int> stuck; ///< key → calls on it working past their limit
    std::atomic<int> running{0};
};

// Never destroyed: a detached thread may still reach it while the process exits.
Registry& registry() {
    static auto* shared = new Registry;
    return *shared;
}

void lowerThisThread() {
    const pid_t thread = ::gettid();
    // Linux gives each thread its own nice value; never raise one that is already lower.
    errno = 0;
    const int current = ::getpriority(PRIO_PROCESS, static_cast<id_t>(thread));
    if (errno == 0 && current < 10) {
        (void)::setpriority(PRIO_PROCESS, static_cast<id_t>(thread), 10);
    }
    constexpr int whoProcess = 1;      // IOPRIO_WHO_PROCESS: one thread
    constexpr int classBestEffort = 2; // IOPRIO_CLASS_BE
    constexpr int classShift = 13;     // IOPRIO_CLASS_SHIFT
    constexpr int lowestLevel = 7;
    (void)::syscall(SYS_ioprio_set, whoProcess, thread, (classBestEffort << classShift) | lowestLevel);
}

} // namespace

int running() {
    return registry().running.load();
}

namespace detail {

bool anyStuck(const QStringList& keys) {
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    return std::any_of(keys.cbegin(), keys.cend(), [&](const QString& key) { return r.stuck.contains(key); });
}

void markStuck(const QStringList& keys) {
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    for (const QString& key : keys) {
        ++r.stuck[key];
    }
}

void unmarkStuck(const QStringList& keys) {
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    for (const QString& key : keys) {
        if (--r.stuck[key] <= 0) {
            r.stuck.remove(key);
        }
    }
}

bool launch(std::function<void()> work, Priority priority) {
    Registry& r = registry();
    ++r.running;
    try {
        std::thread([work = std::move(work), priority] {
            if (priority == Priority::low) {
                lowerThisThread();
            }
            work();
            --registry().running;
        }).detach();
    } catch (const std::system_error&) {
        --r.running;
        return false;
    }
    return true;
}

} // namespace detail
} // namespace SlowCall
