#include "stowline/ChunkPool.h"

#include <cassert>

namespace stowline {

std::span<std::byte> ChunkPool::buffer(std::size_t index) {
    assert(index < bufferCount);
    auto& buffer = buffers_.at(index);
    if (!buffer) {
        buffer = std::make_unique_for_overwrite<std::byte[]>(bufferSize);
        ++allocations_;
    }
    return {buffer.get(), bufferSize};
}

} // namespace stowline
