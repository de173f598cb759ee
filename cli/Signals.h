#pragma once
#include "stowline/UniqueFd.h"

#include <atomic>
#include <csignal>
#include <functional>
#include <thread>

namespace cli {

/// Turns SIGINT, SIGTERM and SIGHUP (a closed terminal or session) into calls of `onSignal` on a watcher
/// thread of its own. The handler itself only writes one byte to a pipe, so it is async-signal-safe; a second
/// signal calls `onSignal` again, which must therefore be harmless to repeat. A SIGHUP the
/// process was started to ignore (nohup) stays ignored. One per process at a time.
class SignalWatcher {
public:
    explicit SignalWatcher(std::function<void()> onSignal);
    /// Restores the previous handlers, then stops and joins the watcher.
    ~SignalWatcher();
    SignalWatcher(const SignalWatcher&) = delete;
    SignalWatcher& operator=(const SignalWatcher&) = delete;

    /// A signal has arrived. Any thread.
    [[nodiscard]] bool signalled() const { return signalled_.load(); }

private:
    void watch();

    std::function<void()> onSignal_;
    stowline::UniqueFd readEnd_;
    stowline::UniqueFd writeEnd_;
    struct sigaction oldInt_ {};
    struct sigaction oldTerm_ {};
    struct sigaction oldHup_ {};
    std::atomic<bool> signalled_{false};
    std::thread thread_;
};

} // namespace cli
