#include "stowline/Verifier.h"

#include "DirectRead.h"
#include "stowline/XXHash64.h"

#include <algorithm>
#include <stdexcept>

namespace stowline::Verifier {

std::uint64_t physicalHash(const std::filesystem::path& of, std::int64_t chunkSize,
                           const std::function<void(std::int64_t)>& onChunk, CacheBypass mode, FileOps* ops) {
    if (chunkSize <= 0) {
        throw std::invalid_argument("Verifier::physicalHash: chunkSize must be above 0");
    }
    DirectRead file(of, mode == CacheBypass::automatic, ops);
    // O_DIRECT reads whole aligned blocks, so the buffer is the chunk rounded up to the
    // alignment; the callback still hears of whole chunks of `chunkSize` and the short last one.
    const auto chunk = static_cast<std::size_t>(chunkSize);
    const auto roundUp = [&](std::size_t n) {
        return (n + file.alignment() - 1) / file.alignment() * file.alignment();
    };
    // A small file gets a buffer its size (plus a block, so one read also sees the end):
    // verifying thousands of sidecar files must not allocate and clear a whole chunk each.
    const auto size = static_cast<std::size_t>(std::max<off_t>(file.sizeAtOpen(), 0));
    const std::size_t capacity = std::min(roundUp(chunk), roundUp(size) + file.alignment());
    const AlignedBuffer buffer(capacity, file.alignment());

    XXHash64 hasher;
    std::size_t unreported = 0;
    while (const std::size_t count = file.read(buffer.data(), capacity)) {
        hasher.update(buffer.data(), count);
        unreported += count;
        for (; unreported >= chunk; unreported -= chunk) {
            if (onChunk) {
                onChunk(chunkSize);
            }
        }
    }
    if (unreported > 0 && onChunk) {
        onChunk(static_cast<std::int64_t>(unreported));
    }
    return hasher.finalize();
}

} // namespace stowline::Verifier
