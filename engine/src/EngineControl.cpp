#include "stowline/EngineControl.h"

#include "stowline/CopyError.h"

#include <chrono>
#include <thread>

namespace stowline {

EngineControl::State EngineControl::current() const {
    std::lock_guard guard(lock_);
    return state_;
}

void EngineControl::set(State state) {
    std::lock_guard guard(lock_);
    state_ = state;
}

std::set<std::filesystem::path> EngineControl::droppedRoots() const {
    std::lock_guard guard(lock_);
    return dropped_;
}

void EngineControl::dropRoot(const std::filesystem::path& url) {
    std::lock_guard guard(lock_);
    dropped_.insert(url);
}

bool EngineControl::pauseUnlessCancelled() {
    std::lock_guard guard(lock_);
    if (state_ == State::cancelled) {
        return false;
    }
    state_ = State::paused;
    return true;
}

void EngineControl::checkpoint() const {
    for (;;) {
        const State state = current();
        if (state == State::running) {
            return;
        }
        if (state == State::cancelled) {
            throw CopyError::cancelled();
        }
        // Paused: poll without holding the lock, so the interface never waits on us.
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
}

} // namespace stowline
