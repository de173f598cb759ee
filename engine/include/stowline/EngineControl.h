#pragma once
#include <filesystem>
#include <mutex>
#include <set>

namespace stowline {

/// The one object a running engine shares with the application. One lock guards both
/// fields and is held only for a single read or write; every call but checkpoint()
/// returns at once. Thread-safe.
class EngineControl {
public:
    enum class State { running, paused, cancelled };

    EngineControl() = default;
    EngineControl(const EngineControl&) = delete;
    EngineControl& operator=(const EngineControl&) = delete;

    [[nodiscard]] State current() const;
    void set(State state);
    /// A copy of the roots the user dropped after a disk-full; the set only grows.
    [[nodiscard]] std::set<std::filesystem::path> droppedRoots() const;
    void dropRoot(const std::filesystem::path& url);
    /// Sets `paused` unless the state is `cancelled`, in one step, so that a cancel that
    /// arrives just before the engine pauses itself is never overwritten. Returns whether
    /// it paused.
    [[nodiscard]] bool pauseUnlessCancelled();

    /// Returns while running; sleeps in 0.1 s steps while paused; throws
    /// CopyError::cancelled() once cancelled. Called only from the engine's threads.
    void checkpoint() const;

private:
    mutable std::mutex lock_;
    State state_ = State::running;
    std::set<std::filesystem::path> dropped_;
};

} // namespace stowline
