#include "stowline/ChunkPool.h"

#include <cassert>
#include <cstdlib>
#include <new>

namespace stowline {

std::span<std::byte> ChunkPool::buffer(std::size_t index) {
    assert(index < bufferCount);
    auto& buffer = buffers_.at(index);
    if (!buffer) {
        // Aligned for direct writes to the destinations.
        buffer.reset(static_cast<std::byte*>(std::aligned_alloc(bufferAlignment, bufferSize)));
        if (!buffer) {
            throw std::bad_alloc();
        }
        ++allocations_;
    }
    return {buffer.get(), bufferSize};
}

void ChunkPool::Free::operator()(std::byte* p) const noexcept {
    std::free(p);
}

} // namespace stowline
