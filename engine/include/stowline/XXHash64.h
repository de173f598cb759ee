#pragma once
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace stowline {

/// Streaming XXH64. A plain value: copying it copies the whole state.
class XXHash64 {
public:
    explicit XXHash64(std::uint64_t seed = 0);

    void update(std::span<const std::byte> data);
    void update(const void* data, std::size_t length) {
        update(std::span<const std::byte>(static_cast<const std::byte*>(data), length));
    }
    /// Hash of everything fed so far; does not change the state.
    [[nodiscard]] std::uint64_t finalize() const;

    [[nodiscard]] static std::uint64_t digest(std::span<const std::byte> data, std::uint64_t seed = 0);
    /// Exactly 16 lower-case hex digits, most significant first.
    [[nodiscard]] static std::string hex(std::uint64_t value);

private:
    /// Runs the lane steps over `stripes` whole 32-byte stripes starting at `p`.
    void consumeStripes(const std::byte* p, std::size_t stripes);

    std::uint64_t acc1_, acc2_, acc3_, acc4_; ///< the four lane accumulators
    std::byte buffer_[32];                    ///< input not yet consumed by the stripe loop
    std::size_t buffered_ = 0;                ///< bytes held in buffer_ (always < 32 between calls)
    std::uint64_t totalLength_ = 0;           ///< bytes fed so far
    std::uint64_t seed_;                      ///< the seed given at construction
};

} // namespace stowline
