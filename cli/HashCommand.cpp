#include "Commands.h"

#include "stowline/CopyError.h"
#include "stowline/FileCopier.h"
#include "stowline/Verifier.h"
#include "stowline/XXHash64.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace cli {
namespace {

// Why `path` could not be hashed, found again after the fact for the message.
std::string failureReason(const std::string& path) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) {
        return std::strerror(errno);
    }
    if (S_ISDIR(status.st_mode)) {
        return std::strerror(EISDIR);
    }
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        return std::strerror(errno);
    }
    ::close(fd);
    return "read error";
}

} // namespace

int runHash(const std::vector<std::string>& args) {
    if (args.empty()) {
        std::fputs("usage: stowline-cli hash FILE...\n", stderr);
        return 2;
    }
    int status = 0;
    for (const std::string& path : args) {
        try {
            const std::uint64_t hash =
                stowline::Verifier::physicalHash(path, stowline::FileCopier::chunkSize);
            // Same line as "xxhsum -H1": the hash, two spaces, the name as given.
            std::printf("%s  %s\n", stowline::XXHash64::hex(hash).c_str(), path.c_str());
        } catch (const stowline::CopyError&) {
            std::fflush(stdout);
            std::fprintf(stderr, "stowline-cli: cannot hash '%s': %s\n", path.c_str(),
                         failureReason(path).c_str());
            status = 1;
        }
    }
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        std::fprintf(stderr, "stowline-cli: cannot write the output: %s\n", std::strerror(errno));
        return 1;
    }
    return status;
}

} // namespace cli
