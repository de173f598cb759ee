// Throughput of our streaming XXH64 against the reference library's streaming XXH64, both
// fed the same 1 GiB buffer in 4 MiB updates. Prints GB/s of each and the ratio ours/reference.
#include "stowline/XXHash64.h"

#include <xxhash.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <random>
#include <vector>

namespace {

constexpr std::size_t totalBytes = std::size_t{1} << 30;
constexpr std::size_t chunkBytes = std::size_t{4} << 20;
constexpr int runs = 3;

template <class HashRun> double bestGigabytesPerSecond(HashRun&& run, std::uint64_t& result) {
    double best = 0;
    for (int i = 0; i < runs; ++i) {
        const auto start = std::chrono::steady_clock::now();
        result = run();
        const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
        best = std::max(best, static_cast<double>(totalBytes) / elapsed.count() / 1e9);
    }
    return best;
}

} // namespace

int main() {
    std::vector<std::byte> data(totalBytes);
    std::mt19937_64 rng(1);
    for (std::size_t i = 0; i < data.size(); i += 8) {
        const std::uint64_t word = rng();
        std::copy_n(reinterpret_cast<const std::byte*>(&word), 8, data.data() + i);
    }

    std::uint64_t ours = 0;
    const double oursRate = bestGigabytesPerSecond(
        [&] {
            stowline::XXHash64 hasher;
            for (std::size_t offset = 0; offset < data.size(); offset += chunkBytes) {
                hasher.update(data.data() + offset, chunkBytes);
            }
            return hasher.finalize();
        },
        ours);

    std::uint64_t theirs = 0;
    const double referenceRate = bestGigabytesPerSecond(
        [&] {
            XXH64_state_t* state = XXH64_createState();
            XXH64_reset(state, 0);
            for (std::size_t offset = 0; offset < data.size(); offset += chunkBytes) {
                XXH64_update(state, data.data() + offset, chunkBytes);
            }
            const std::uint64_t value = XXH64_digest(state);
            XXH64_freeState(state);
            return value;
        },
        theirs);

    if (ours != theirs) {
        std::fprintf(stderr, "hash mismatch: ours %016llx, reference %016llx\n",
                     static_cast<unsigned long long>(ours), static_cast<unsigned long long>(theirs));
        return 1;
    }
    std::printf("XXHash64 (ours, 4 MiB updates):       %6.2f GB/s\n", oursRate);
    std::printf("XXH64 (reference, 4 MiB updates):     %6.2f GB/s\n", referenceRate);
    std::printf("ratio ours/reference:                 %6.3f\n", oursRate / referenceRate);
    return 0;
}
