#pragma once
// The parallel half of the copier: one thread per destination, each writing the chunks the
// reader hands over, in order, from a small ring of shared buffers.
#include "CopySink.h"

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <span>
#include <thread>
#include <vector>

namespace stowline {

/// Writers for a set of sinks. The reader (the thread that made the crew) publishes chunk
/// after chunk and waits for each to be written everywhere before reusing its buffer. A
/// writer whose destination fails abandons its sink at once (closing it and deleting its
/// temporary file) and stops; the others carry on. No exception leaves a writer thread.
class WriterCrew {
public:
    /// Starts one writer per sink (all live, and not touched by the caller until the crew
    /// is stopped). Chunk i is read from `slots[i % slots.size()]`. Throws std::system_error
    /// when a thread cannot be started; the ones already started are stopped first.
    WriterCrew(std::vector<CopySink>& sinks, std::span<const std::span<std::byte>> slots);
    /// Stops and joins every writer.
    ~WriterCrew() { stop(); }
    WriterCrew(const WriterCrew&) = delete;
    WriterCrew& operator=(const WriterCrew&) = delete;

    /// Hands over chunk `index` (the next one), whose `count` bytes are already in its slot.
    /// Its slot must no longer be needed for chunk index - slots.size() (see await).
    void publish(std::int64_t index, std::size_t count);
    /// Waits until every writer has written chunk `index` or failed; appends the failures at
    /// that chunk in sink order and returns how many writers wrote it.
    [[nodiscard]] std::size_t await(std::int64_t index, std::vector<DestinationFailure>& failures);
    /// Writers finish the write under way, start no other, and are joined. Idempotent.
    void stop() noexcept;

private:
    struct Writer {
        CopySink* sink = nullptr;
        std::int64_t written = 0; ///< chunks written so far
        std::optional<std::int64_t> failedAt;
        std::optional<DestinationFailure> failure;
    };

    void writeChunks(Writer& writer);

    std::span<const std::span<std::byte>> slots_;
    std::vector<std::size_t> counts_; ///< bytes in each slot
    std::vector<Writer> writers_;
    std::vector<std::thread> threads_;
    std::mutex mutex_;
    std::condition_variable published_; ///< a chunk was handed over, or the crew stops
    std::condition_variable written_;   ///< a writer finished a chunk or failed
    std::int64_t publishedCount_ = 0;
    bool stopping_ = false;
};

} // namespace stowline
