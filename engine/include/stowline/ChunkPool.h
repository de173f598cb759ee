#pragma once
#include <array>
#include <cstddef>
#include <memory>
#include <span>

namespace stowline {

/// The chunk buffers of a job's copies, made on first use and reused by every copy after
/// that, so memory stays at a few chunks whatever the number and size of the files: one
/// chunk being written while the next is read. One copy at a time may use a pool.
class ChunkPool {
public:
    static constexpr std::size_t bufferSize = std::size_t{4} * 1024 * 1024;
    static constexpr std::size_t bufferCount = 2;
    /// Buffers start on a page boundary, as direct writes need.
    static constexpr std::size_t bufferAlignment = 4096;

    ChunkPool() = default;
    ChunkPool(const ChunkPool&) = delete;
    ChunkPool& operator=(const ChunkPool&) = delete;

    /// Buffer `index` (< bufferCount) of bufferSize bytes, allocated on its first request.
    /// Its contents are whatever the previous user left. Throws std::bad_alloc.
    [[nodiscard]] std::span<std::byte> buffer(std::size_t index);
    /// How many buffers have been allocated so far (at most bufferCount).
    [[nodiscard]] std::size_t allocations() const noexcept { return allocations_; }

private:
    struct Free {
        void operator()(std::byte* p) const noexcept;
    };
    std::array<std::unique_ptr<std::byte, Free>, bufferCount> buffers_;
    std::size_t allocations_ = 0;
};

} // namespace stowline
