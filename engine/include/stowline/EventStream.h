#pragma once
#include "stowline/EngineEvent.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>

namespace stowline {

/// Unbounded, ordered queue of engine events from one producer to one consumer. Nothing
/// is dropped or coalesced; the stream ends after close(). Thread-safe.
class EventStream {
public:
    void push(EngineEvent event);
    /// No more events will come; next() returns none once the queue is drained.
    void close();
    /// Blocks until the next event, or returns none when the stream has ended.
    [[nodiscard]] std::optional<EngineEvent> next();

private:
    std::mutex mutex_;
    std::condition_variable ready_;
    std::deque<EngineEvent> queue_;
    bool closed_ = false;
};

} // namespace stowline
