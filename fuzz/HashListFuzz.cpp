// libFuzzer entry for the hash list reader: any bytes must either parse or throw
// HashListError, quickly and within the reader's bounds. Built by scripts/fuzz.
#include "stowline/HashList.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    try {
        const auto list =
            stowline::HashListReader::parse(std::string_view(reinterpret_cast<const char*>(data), size));
        for (const auto& entry : list.entries) {
            // Every decoded name is at most one element's text.
            if (entry.file.size() > stowline::HashListReader::maximumTextBytes * 4) {
                __builtin_trap();
            }
        }
    } catch (const stowline::HashListError&) {
    }
    return 0;
}
