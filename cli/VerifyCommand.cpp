#include "Commands.h"
#include "OffloadText.h"
#include "Output.h"
#include "ProgressLine.h"
#include "Signals.h"

#include "stowline/DriveCheck.h"
#include "stowline/EngineControl.h"
#include "stowline/TextReport.h"

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

/// A listed name or message as one safe line, escaped as the text report shows names.
std::string printable(std::string_view text) {
    return stowline::TextReport::visibleText(text);
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

    // A reader that goes away (verify … | head) ends the printing, not the check.
    Output::keepRunningWithoutReader();
    stowline::EngineControl control;
    // The live line shares the terminal with the results, as offload's does.
    const bool interactive = ::isatty(STDOUT_FILENO) == 1;
    ProgressLine progressLine;
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
                                 std::to_string(progress.fileCount) + "] " + std::string(progress.path));
        }
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
        progressLine.update(progress.bytesDone, progress.bytesTotal,
                            seconds > 0.5 ? static_cast<double>(progress.bytesDone) / seconds : 0.0);
    };
    observer.checked = [&](const stowline::CheckedFile& file) {
        progressLine.clear();
        const std::string status(stowline::toText(file.status));
        std::string lines = status + std::string(status.size() < 12 ? 12 - status.size() : 0, ' ') + "  " +
                            printable(file.path) + "\n";
        if (!file.detail.empty() && file.status != stowline::DriveCheckStatus::missing) {
            lines += std::string(14, ' ') + "(" + printable(file.detail) + ")\n";
        }
        Output::out(lines);
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
        Output::err("stowline-cli: " + printable(problem.path.string()) + ": " + printable(problem.message) +
                    "\n");
    }
    if (result.cancelled || interrupted) {
        Output::err("stowline-cli: verify interrupted after " + std::to_string(result.checked()) +
                    " files\n");
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
    std::string closing = "\n" + std::to_string(result.checked()) + " listed in " +
                          std::to_string(result.lists.size()) + " hash list" +
                          (result.lists.size() == 1 ? "" : "s") + ": " + counts + "\n";
    if (!result.notCovered.empty()) {
        closing += std::to_string(result.notCovered.size()) + " not covered by any hash list:\n";
        for (const auto& path : result.notCovered) {
            closing += "  " + printable(path) + "\n";
        }
    }
    const bool intact = result.intact();
    closing += intact ? "Every listed file is intact.\n" : "NOT INTACT: see the lines above.\n";
    // A short list can be wholly intact on a drive that a job left half-way.
    for (const auto& incomplete : result.incompleteLists) {
        closing += "This job was incomplete on this drive (" +
                   printable(incomplete.list.filename().string()) +
                   "): " + OffloadText::incomplete(incomplete.job.exit, incomplete.job.fileCount) + ".\n";
    }
    Output::out(closing);
    return intact ? 0 : 1;
}

} // namespace cli
