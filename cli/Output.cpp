#include "Output.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace cli::Output {
namespace {

bool stdoutLost = false;
bool stderrLost = false;

/// Points `fd` at /dev/null so that later writes succeed and go nowhere.
void silence(int fd) {
    const int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (null >= 0) {
        ::dup2(null, fd);
        if (null != fd) {
            ::close(null);
        }
    }
}

void write(std::FILE* stream, std::string_view text, bool& lost) {
    if (!text.empty()) {
        std::fwrite(text.data(), 1, text.size(), stream);
    }
    if (std::fflush(stream) != 0 || std::ferror(stream)) {
        // The buffered rest is dropped with the stream's error state.
        lost = true;
        silence(::fileno(stream));
        std::clearerr(stream);
    }
}

} // namespace

void openStandardDescriptors() {
    for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
        if (::fcntl(fd, F_GETFD) == -1 && errno == EBADF) {
            // The lowest free descriptor is `fd` itself, since the lower ones are open.
            const int opened = ::open("/dev/null", fd == STDIN_FILENO ? O_RDONLY : O_WRONLY);
            if (opened >= 0 && opened != fd) {
                ::dup2(opened, fd);
                ::close(opened);
            }
        }
    }
}

void keepRunningWithoutReader() {
    std::signal(SIGPIPE, SIG_IGN);
}

void out(std::string_view text) {
    write(stdout, text, stdoutLost);
}

void err(std::string_view text) {
    write(stderr, text, stderrLost);
}

bool outputLost() {
    return stdoutLost;
}

} // namespace cli::Output
