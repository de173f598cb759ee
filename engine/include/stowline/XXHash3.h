#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace stowline {

/// Streaming XXH3 with seed 0 and the default secret, giving both published results of one
/// stream: the 64-bit one (XXH3_64bits) and the 128-bit one (XXH3_128bits). A plain value:
/// copying it copies the whole state. Any thread; one object per thread.
class XXHash3 {
public:
    /// A 128-bit result, as the format defines its halves.
    struct Hash128 {
        std::uint64_t high = 0;
        std::uint64_t low = 0;
        bool operator==(const Hash128&) const = default;
    };

    XXHash3() = default;

    void update(std::span<const std::byte> data);
    void update(const void* data, std::size_t length) {
        update(std::span<const std::byte>(static_cast<const std::byte*>(data), length));
    }
    /// Results for everything fed so far; neither changes the state.
    [[nodiscard]] std::uint64_t finalize64() const;
    [[nodiscard]] Hash128 finalize128() const;

    [[nodiscard]] static std::uint64_t digest64(std::span<const std::byte> data);
    [[nodiscard]] static Hash128 digest128(std::span<const std::byte> data);
    /// 32 lower-case hex digits, the high half first (the canonical form).
    [[nodiscard]] static std::string hex(const Hash128& value);

    /// Input up to this length is hashed by the short paths; longer input by the stripe loop.
    static constexpr std::size_t shortInputLimit = 240;

private:
    static constexpr std::size_t stripeLength = 64;
    static constexpr std::size_t bufferLength = 4 * stripeLength;

    /// Runs the stripe loop over `count` whole stripes starting at `p`, scrambling the
    /// accumulators at every block boundary.
    static void consumeStripes(std::array<std::uint64_t, 8>& acc, std::size_t& stripesInBlock,
                               const std::byte* p, std::size_t count);
    /// The accumulators after the final stripes of a long input (finalize's shared part).
    [[nodiscard]] std::array<std::uint64_t, 8> finalAccumulators() const;

    /// The eight lane accumulators of the stripe loop, at their published starting values.
    std::array<std::uint64_t, 8> acc_{0x00000000C2B2AE3DULL, 0x9E3779B185EBCA87ULL, 0xC2B2AE3D27D4EB4FULL,
                                      0x165667B19E3779F9ULL, 0x85EBCA77C2B2AE63ULL, 0x0000000085EBCA77ULL,
                                      0x27D4EB2F165667C5ULL, 0x000000009E3779B1ULL};
    /// Input not yet run through the stripe loop (always at least one byte once anything was
    /// fed: the last stripe is hashed differently). After a loop over input held elsewhere,
    /// its last 64 bytes keep that input's final stripe, for a final stripe shorter than 64.
    std::array<std::byte, bufferLength> buffer_{};
    std::size_t buffered_ = 0;       ///< bytes of buffer_ holding pending input (<= bufferLength)
    std::size_t stripesInBlock_ = 0; ///< stripes of the current block already in the accumulators
    std::uint64_t totalLength_ = 0;  ///< bytes fed so far
};

} // namespace stowline
