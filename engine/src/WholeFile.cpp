#include "WholeFile.h"

#include "stowline/UniqueFd.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>

namespace stowline {

std::optional<std::string> readWholeFile(const std::filesystem::path& path, std::uint64_t limit,
                                         std::string& error) {
    UniqueFd fd(
        retryOnEintr([&] { return ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOFOLLOW); }));
    struct stat status {};
    if (!fd || ::fstat(fd.get(), &status) != 0) {
        error = std::strerror(errno);
        return std::nullopt;
    }
    if (!S_ISREG(status.st_mode)) {
        error = "not a regular file";
        return std::nullopt;
    }
    if (static_cast<std::uint64_t>(status.st_size) > limit) {
        error = "larger than " + std::to_string(limit >> 20) + " MiB, not read";
        return std::nullopt;
    }
    std::string bytes(static_cast<std::size_t>(status.st_size), '\0');
    std::size_t filled = 0;
    for (;;) {
        if (filled == bytes.size()) {
            if (bytes.size() >= limit) {
                char probe = 0;
                if (retryOnEintr([&] { return ::read(fd.get(), &probe, 1); }) > 0) {
                    error = "larger than " + std::to_string(limit >> 20) + " MiB, not read";
                    return std::nullopt;
                }
                break;
            }
            bytes.resize(std::min<std::uint64_t>(limit, bytes.size() + 65536));
        }
        const ssize_t got =
            retryOnEintr([&] { return ::read(fd.get(), bytes.data() + filled, bytes.size() - filled); });
        if (got < 0) {
            error = std::strerror(errno);
            return std::nullopt;
        }
        if (got == 0) {
            break;
        }
        filled += static_cast<std::size_t>(got);
    }
    bytes.resize(filled);
    return bytes;
}

} // namespace stowline
