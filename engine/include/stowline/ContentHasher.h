#pragma once
#include "stowline/HashFormat.h"
#include "stowline/HashValue.h"

#include <cstddef>
#include <memory>
#include <span>

namespace stowline {

/// Hashes one stream of bytes in several formats at once, so that whoever reads a file can
/// take every hash it records from that single read. Move-only; one thread at a time.
class ContentHasher {
public:
    explicit ContentHasher(HashFormats formats);
    ~ContentHasher();
    ContentHasher(ContentHasher&&) noexcept;
    ContentHasher& operator=(ContentHasher&&) noexcept;

    [[nodiscard]] HashFormats formats() const { return formats_; }
    void update(std::span<const std::byte> data);
    /// One value per format, for everything fed so far; the state is left as it was.
    [[nodiscard]] HashValues finish() const;

    /// `data` hashed in one format.
    [[nodiscard]] static HashValue digest(HashFormat format, std::span<const std::byte> data);

private:
    struct State;
    HashFormats formats_;
    std::unique_ptr<State> state_;
};

} // namespace stowline
