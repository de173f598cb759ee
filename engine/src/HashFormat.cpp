#include "stowline/HashFormat.h"

namespace stowline {

std::string_view toText(HashFormat format) {
    switch (format) {
    case HashFormat::c4:
        return "c4";
    case HashFormat::md5:
        return "md5";
    case HashFormat::sha1:
        return "sha1";
    case HashFormat::xxh128:
        return "xxh128";
    case HashFormat::xxh3:
        return "xxh3";
    case HashFormat::xxh64:
        return "xxh64";
    }
    return "unknown";
}

std::optional<HashFormat> hashFormatNamed(std::string_view name) {
    for (HashFormat format : allHashFormats) {
        if (toText(format) == name) {
            return format;
        }
    }
    return std::nullopt;
}

std::size_t digestSize(HashFormat format) {
    switch (format) {
    case HashFormat::c4:
        return 64;
    case HashFormat::md5:
    case HashFormat::xxh128:
        return 16;
    case HashFormat::sha1:
        return 20;
    case HashFormat::xxh3:
    case HashFormat::xxh64:
        return 8;
    }
    return 0;
}

} // namespace stowline
