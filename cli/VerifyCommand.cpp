#include "Commands.h"
#include "ProgressLine.h"
#include "Signals.h"

#include "stowline/DriveCheck.h"
#include "stowline/EngineControl.h"

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>

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
    "hashes this tool cannot compute), refused (a path outside its folder) or ambiguous (two\n"
    "names on the drive that a list writes the same way), then the counts and the files under\n"
    "ROOT that no list covers. Those are shown but do not fail the check.\n"
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
    // The live line shares the terminal with the results, as offload's does.
    const bool interactive = ::isatty(STDOUT_FILENO) == 1;
    ProgressLine progressLine(stdout);
    const auto started = std::chrono::steady_clock::now();
    std::size_t shownIndex = SIZE_MAX;
    stowline::DriveCheckObserver observer;
    observer.progress = [&](const stowline::DriveCheckProgress& progress) {
        if (!interactive) {
            return;
        }
        if (progress.fileIndex != shownIndex) {
            shownIndex = progress.fileIndex;
            progressLine.setFile("[" + std::to_string(progress.fileIndex + 1) + "/" +
                                 std::to_string(progress.fileCount) + "] " + printable(progress.path));
        }
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
        progressLine.update(progress.bytesDone, progress.bytesTotal,
                            seconds > 0.5 ? static_cast<double>(progress.bytesDone) / seconds : 0.0);
    };
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
        SignalWatcher signals([&control] { control.set(stowline::EngineControl::State::cancelled); });
        result = stowline::DriveCheck::run(options, observer, &control);
        interrupted = signals.signalled();
    }
    progressLine.clear();

    for (const auto& problem : result.problems) {
        std::fprintf(stderr, "stowline-cli: %s: %s\n", printable(problem.path.string()).c_str(),
                     printable(problem.message).c_str());
    }
    if (result.cancelled || interrupted) {
        std::fprintf(stderr, "stowline-cli: verify interrupted after %zu files\n", result.checked());
        std::fflush(stdout);
        return 130;
    }

    using stowline::DriveCheckStatus;
    std::string counts;
    for (const auto status :
         {DriveCheckStatus::ok, DriveCheckStatus::changed, DriveCheckStatus::sizeDiffers,
          DriveCheckStatus::missing, DriveCheckStatus::unreadable, DriveCheckStatus::notChecked,
          DriveCheckStatus::refused, DriveCheckStatus::ambiguous}) {
        if (const std::size_t n = result.count(status); n > 0 || status == DriveCheckStatus::ok) {
            counts += (counts.empty() ? "" : ", ") + std::to_string(n) + " " +
                      std::string(stowline::toText(status));
        }
    }
    std::printf("\n%zu listed in %zu hash list%s: %s\n", result.checked(), result.lists.size(),
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
