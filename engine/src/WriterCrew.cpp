#include "WriterCrew.h"

#include <algorithm>
#include <cassert>

namespace stowline {

WriterCrew::WriterCrew(std::vector<CopySink>& sinks, std::span<const std::span<std::byte>> slots)
    : slots_(slots), counts_(slots.size(), 0), writers_(sinks.size()) {
    assert(!slots.empty());
    for (std::size_t i = 0; i < sinks.size(); ++i) {
        assert(sinks[i].live());
        writers_[i].sink = &sinks[i];
    }
    threads_.reserve(writers_.size());
    try {
        for (auto& writer : writers_) {
            threads_.emplace_back([this, &writer] { writeChunks(writer); });
        }
    } catch (...) {
        stop();
        throw;
    }
}

void WriterCrew::publish(std::int64_t index, std::size_t count) {
    {
        std::lock_guard lock(mutex_);
        assert(index == publishedCount_);
        counts_[static_cast<std::size_t>(index) % slots_.size()] = count;
        publishedCount_ = index + 1;
    }
    published_.notify_all();
}

std::size_t WriterCrew::await(std::int64_t index, std::vector<DestinationFailure>& failures) {
    std::unique_lock lock(mutex_);
    const auto settled = [index](const Writer& writer) {
        return writer.written > index || (writer.failedAt && *writer.failedAt <= index);
    };
    written_.wait(lock, [&] { return std::all_of(writers_.begin(), writers_.end(), settled); });
    std::size_t wrote = 0;
    for (const auto& writer : writers_) {
        if (writer.written > index) {
            ++wrote;
        } else if (writer.failedAt == index) {
            failures.push_back(*writer.failure);
        }
    }
    return wrote;
}

void WriterCrew::stop() noexcept {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    published_.notify_all();
    for (auto& thread : threads_) {
        if (thread.joinable()) {
            thread.join();
        }
    }
}

void WriterCrew::writeChunks(Writer& writer) {
    for (std::int64_t next = 0;; ++next) {
        std::span<const std::byte> chunk;
        {
            std::unique_lock lock(mutex_);
            published_.wait(lock, [&] { return stopping_ || publishedCount_ > next; });
            if (stopping_) {
                return;
            }
            const auto slot = static_cast<std::size_t>(next) % slots_.size();
            chunk = slots_[slot].first(counts_[slot]);
        }
        // The sink turns every error, thrown or returned, into a failure and abandons itself.
        auto failed = writer.sink->write(chunk);
        const bool gaveUp = failed.has_value();
        {
            std::lock_guard lock(mutex_);
            if (failed) {
                writer.failure = std::move(failed);
                writer.failedAt = next;
            } else {
                writer.written = next + 1;
            }
        }
        written_.notify_all();
        if (gaveUp) {
            return;
        }
    }
}

} // namespace stowline
