#include "stowline/DestinationLocks.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>

namespace stowline {

std::optional<DestinationLocks> DestinationLocks::tryAcquire(const std::vector<std::filesystem::path>& roots,
                                                             std::vector<std::filesystem::path>& busy) {
    busy.clear();
    DestinationLocks locks;
    for (const auto& root : roots) {
        UniqueFd fd(retryOnEintr([&] {
            return ::open(root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
        }));
        if (!fd) {
            continue;
        }
        if (retryOnEintr([&] { return ::flock(fd.get(), LOCK_EX | LOCK_NB); }) == 0) {
            locks.held_.push_back(std::move(fd));
        } else if (errno == EWOULDBLOCK) {
            busy.push_back(root);
        }
    }
    if (!busy.empty()) {
        return std::nullopt; // `locks` releases whatever it took
    }
    return locks;
}

} // namespace stowline
