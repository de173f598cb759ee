#include "stowline/EventStream.h"

namespace stowline {

void EventStream::push(EngineEvent event) {
    {
        std::lock_guard guard(mutex_);
        queue_.push_back(std::move(event));
    }
    ready_.notify_one();
}

void EventStream::close() {
    {
        std::lock_guard guard(mutex_);
        closed_ = true;
    }
    ready_.notify_all();
}

std::optional<EngineEvent> EventStream::next() {
    std::unique_lock guard(mutex_);
    ready_.wait(guard, [this] { return !queue_.empty() || closed_; });
    if (queue_.empty()) {
        return std::nullopt;
    }
    EngineEvent event = std::move(queue_.front());
    queue_.pop_front();
    return event;
}

} // namespace stowline
