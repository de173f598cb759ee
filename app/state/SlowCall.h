#pragma once
#include <QCoreApplication>
#include <QMetaObject>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QTimer>

#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

/// Calls that may touch a slow or dead file system (statvfs, stat, scanning a card), made
/// on a thread of their own so that the window never waits for a drive. A call into a dead
/// FUSE or network mount can block for ever and cannot be interrupted: its thread is
/// detached rather than joined, holds nothing but its own copies, and ends (or dies with
/// the process) on its own.
namespace SlowCall {

enum class Priority {
    normal,
    low ///< nice 10 and the lowest best-effort I/O level: work that may take its time
};

namespace detail {
/// True while a call on one of the keys is still working past its limit.
[[nodiscard]] bool anyStuck(const QStringList& keys);
/// A call on the keys passed its limit and still works; and it has ended.
void markStuck(const QStringList& keys);
void unmarkStuck(const QStringList& keys);
/// Runs `work` on a new detached thread; false when no thread could be made.
[[nodiscard]] bool launch(std::function<void()> work, Priority priority);
} // namespace detail

/// Calls working now, on every thread (tests wait for them to end).
[[nodiscard]] int running();

/// Runs `work` on a thread of its own and hands its answer to `done` on the main thread,
/// exactly once: the result when `work` returns within `limit`, else none when the limit
/// passes (the late result is dropped; without a limit it waits as long as it takes). A
/// `work` that throws answers none. Nothing is handed over once `receiver` is gone.
///
/// `keys` name what the call touches (a path, a mount point): while an earlier call on one
/// of them is still working past its limit, `work` is not started and `done` gets none on
/// the next pass of the event loop. A dead drive so holds a thread or two per key, not one
/// per retry. Main thread.
template <class T>
void run(QObject* receiver, const QStringList& keys, std::optional<std::chrono::milliseconds> limit,
         std::function<T()> work, std::function<void(std::optional<T>)> done,
         Priority priority = Priority::normal) {
    struct Shared {
        std::mutex mutex;
        bool answered = false; ///< the result or the limit came first; the other is dropped
        bool timedOut = false; ///< the limit came first: the keys are marked stuck
        std::function<void(std::optional<T>)> done;
    };
    auto shared = std::make_shared<Shared>();
    shared->done = std::move(done);
    const QPointer<QObject> guard(receiver);
    const auto answerNone = [shared, guard] {
        if (guard) {
            shared->done(std::nullopt);
        }
    };
    if (detail::anyStuck(keys)) {
        QMetaObject::invokeMethod(receiver, answerNone, Qt::QueuedConnection);
        return;
    }
    const bool launched = detail::launch(
        [shared, guard, keys, work = std::move(work)] {
            std::optional<T> value;
            try {
                value = work();
            } catch (...) {
                value.reset();
            }
            {
                std::lock_guard lock(shared->mutex);
                if (shared->timedOut) {
                    detail::unmarkStuck(keys);
                }
                if (shared->answered) {
                    return;
                }
                shared->answered = true;
            }
            if (QCoreApplication* app = QCoreApplication::instance()) {
                QMetaObject::invokeMethod(
                    app,
                    [shared, guard, value = std::move(value)]() mutable {
                        if (guard) {
                            shared->done(std::move(value));
                        }
                    },
                    Qt::QueuedConnection);
            }
        },
        priority);
    if (!launched) {
        QMetaObject::invokeMethod(receiver, answerNone, Qt::QueuedConnection);
        return;
    }
    if (limit) {
        QTimer::singleShot(*limit, receiver, [shared, keys] {
            {
                std::lock_guard lock(shared->mutex);
                if (shared->answered) {
                    return;
                }
                shared->answered = true;
                shared->timedOut = true;
                detail::markStuck(keys);
            }
            shared->done(std::nullopt);
        });
    }
}

} // namespace SlowCall
