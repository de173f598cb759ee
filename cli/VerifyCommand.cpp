#include "Commands.h"

#include "stowline/ByteFormat.h"
#include "stowline/DriveCheck.h"
#include "stowline/EngineControl.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <thread>

#include <pthread.h>
#include <unistd.h>

namespace cli {
namespace {

constexpr const char* verifyUsage =
    "usage: stowline-cli verify ROOT [--mhl FILE]\n"
    "\n"
    "Reads every file listed in the hash lists of ROOT's \"Hash Log\" folder again, around the\n"
    "file cache, and compares it with the list. With --mhl, checks that one list instead; its\n"
    "paths are relative to ROOT when it lies in ROOT's \"Hash Log\", else to its own folder.\n"
    "When several lists name a file, the newest entry is checked.\n"
    "\n"
    "One line per file: ok, changed, size differs, missing, unreadable, not checked (only\n"
    "hashes this tool cannot compute) or refused (a path outside its folder), then the counts\n"
    "and the files under ROOT that no list covers. Those are shown but do not fail the check.\n"
    "\n"
    "Exit status: 0 every listed file is intact; 1 anything else (a file not intact, a list\n"
    "that cannot be read, no list found); 2 usage error; 130 interrupted.\n";

/// A listed name as one safe line on a terminal: control characters shown as escapes.
std::string printable(std::string_view name) {
    std::string out;
    for (const char c : name) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '\n') {
            out += "\\n";
        } else if (c == '\t') {
            out += "\\t";
        } else if (c == '\r') {
            out += "\\r";
        } else if (u < 0x20 || u == 0x7F) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02x", u);
            out += escaped;
        } else {
            out += c;
        }
    }
    return out;
}

/// The progress line on a terminal's standard error, redrawn at most ten times a second.
class ProgressLine {
public:
    ProgressLine() : enabled_(::isatty(STDERR_FILENO) == 1) {}

    void show(const stowline::DriveCheckProgress& progress) {
        if (!enabled_) {
            return;
        }
        const auto now = std::chrono::steady_clock::now();
        if (now - lastDraw_ < std::chrono::milliseconds(100)) {
            return;
        }
        lastDraw_ = now;
        const int percent =
            progress.bytesTotal > 0 ? static_cast<int>(progress.bytesDone * 100 / progress.bytesTotal) : 0;
        std::string line = "[" + std::to_string(progress.fileIndex + 1) + "/" +
                           std::to_string(progress.fileCount) + "] " + std::to_string(percent) + "%  " +
                           stowline::ByteFormat::string(progress.bytesDone, "en_US") + " of " +
                           stowline::ByteFormat::string(progress.bytesTotal, "en_US") + "  " +
                           printable(progress.path);
        constexpr std::size_t width = 78;
        if (line.size() > width) {
            line = line.substr(0, width - 3) + "...";
        }
        std::fprintf(stderr, "\r\033[K%s", line.c_str());
        std::fflush(stderr);
        drawn_ = true;
    }

    /// Removes the line so that other output starts at the left margin.
    void clear() {
        if (drawn_) {
            std::fputs("\r\033[K", stderr);
            std::fflush(stderr);
            drawn_ = false;
            lastDraw_ = {};
        }
    }

private:
    bool enabled_;
    bool drawn_ = false;
    std::chrono::steady_clock::time_point lastDraw_{};
};

/// Turns SIGINT and SIGTERM into a cancel of the check, on a thread of its own (the
/// engine control's lock may not be taken in a signal handler). A second signal ends the
/// process at once, for a read stuck on a dying drive.
class InterruptWatch {
public:
    explicit InterruptWatch(stowline::EngineControl& control) {
        sigemptyset(&signals_);
        sigaddset(&signals_, SIGINT);
        sigaddset(&signals_, SIGTERM);
        sigaddset(&signals_, SIGUSR1);
        pthread_sigmask(SIG_BLOCK, &signals_, nullptr);
        thread_ = std::thread([this, &control] {
            for (;;) {
                int number = 0;
                if (sigwait(&signals_, &number) != 0 || number == SIGUSR1) {
                    return;
                }
                if (interrupted_.exchange(true)) {
                    ::_exit(130);
                }
                control.set(stowline::EngineControl::State::cancelled);
            }
        });
    }
    InterruptWatch(const InterruptWatch&) = delete;
    InterruptWatch& operator=(const InterruptWatch&) = delete;
    ~InterruptWatch() {
        pthread_kill(thread_.native_handle(), SIGUSR1);
        thread_.join();
        pthread_sigmask(SIG_UNBLOCK, &signals_, nullptr);
    }

    [[nodiscard]] bool interrupted() const { return interrupted_; }

private:
    sigset_t signals_{};
    std::atomic<bool> interrupted_{false};
    std::thread thread_;
};

} // namespace

int runVerify(const std::vector<std::string>& args) {
    std::optional<std::string> root;
    stowline::DriveCheckOptions options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--help" || args[i] == "-h") {
            std::fputs(verifyUsage, stdout);
            return 0;
        }
        if (args[i] == "--mhl") {
            if (i + 1 >= args.size() || options.list) {
                std::fputs(verifyUsage, stderr);
                return 2;
            }
            options.list = args[++i];
        } else if (args[i].starts_with("-") && args[i] != "-" && !root) {
            std::fprintf(stderr, "stowline-cli: verify: unknown option '%s'\n\n%s", args[i].c_str(),
                         verifyUsage);
            return 2;
        } else if (root) {
            std::fputs(verifyUsage, stderr);
            return 2;
        } else {
            root = args[i];
        }
    }
    if (!root) {
        std::fputs(verifyUsage, stderr);
        return 2;
    }
    options.root = *root;

    stowline::EngineControl control;
    ProgressLine progressLine;
    stowline::DriveCheckObserver observer;
    observer.progress = [&](const stowline::DriveCheckProgress& progress) { progressLine.show(progress); };
    observer.checked = [&](const stowline::CheckedFile& file) {
        progressLine.clear();
        const std::string status(stowline::toText(file.status));
        std::printf("%-12s  %s\n", status.c_str(), printable(file.path).c_str());
        if (!file.detail.empty() && file.status != stowline::DriveCheckStatus::missing) {
            std::printf("%-12s  (%s)\n", "", printable(file.detail).c_str());
        }
        std::fflush(stdout);
    };

    stowline::DriveCheckResult result;
    bool interrupted = false;
    {
        InterruptWatch watch(control);
        result = stowline::DriveCheck::run(options, observer, &control);
        interrupted = watch.interrupted();
    }
    progressLine.clear();

    for (const auto& problem : result.problems) {
        std::fprintf(stderr, "stowline-cli: %s: %s\n", printable(problem.path.string()).c_str(),
                     printable(problem.message).c_str());
    }
    if (result.cancelled || interrupted) {
        std::fprintf(stderr, "stowline-cli: verify interrupted after %zu files\n", result.files.size());
        std::fflush(stdout);
        return 130;
    }

    using stowline::DriveCheckStatus;
    std::string counts;
    for (const auto status : {DriveCheckStatus::ok, DriveCheckStatus::changed, DriveCheckStatus::sizeDiffers,
                              DriveCheckStatus::missing, DriveCheckStatus::unreadable,
                              DriveCheckStatus::notChecked, DriveCheckStatus::refused}) {
        if (const std::size_t n = result.count(status); n > 0 || status == DriveCheckStatus::ok) {
            counts += (counts.empty() ? "" : ", ") + std::to_string(n) + " " +
                      std::string(stowline::toText(status));
        }
    }
    std::printf("\n%zu listed in %zu hash list%s: %s\n", result.files.size(), result.lists.size(),
                result.lists.size() == 1 ? "" : "s", counts.c_str());
    if (!result.notCovered.empty()) {
        std::printf("%zu not covered by any hash list:\n", result.notCovered.size());
        for (const auto& path : result.notCovered) {
            std::printf("  %s\n", printable(path).c_str());
        }
    }
    const bool intact = result.intact();
    std::printf("%s\n", intact ? "Every listed file is intact." : "NOT INTACT: see the lines above.");
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        std::fprintf(stderr, "stowline-cli: cannot write the output: %s\n", std::strerror(errno));
        return 1;
    }
    return intact ? 0 : 1;
}

} // namespace cli
