// Drops files from the page cache so that the next read of them comes from the device:
// writes back their dirty pages, then advises the kernel to forget them.
//
//   drop_cache PATH...    (folders are walked recursively)
#include <cstdio>
#include <filesystem>

#include <fcntl.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

int dropFile(const fs::path& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        std::perror(path.c_str());
        return 1;
    }
    const bool ok = ::fdatasync(fd) == 0 && ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED) == 0;
    ::close(fd);
    return ok ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    int failures = 0;
    for (int i = 1; i < argc; ++i) {
        const fs::path path(argv[i]);
        if (fs::is_directory(path)) {
            for (const auto& entry : fs::recursive_directory_iterator(path)) {
                if (entry.is_regular_file()) {
                    failures += dropFile(entry.path());
                }
            }
        } else {
            failures += dropFile(path);
        }
    }
    return failures == 0 ? 0 : 1;
}
