#include "Commands.h"
#include "OffloadText.h"
#include "Output.h"
#include "ProgressLine.h"
#include "QtApplication.h"
#include "Say.h"
#include "Signals.h"

#include "settings/DriveCheckText.h"
#include "settings/Localization.h"
#include "stowline/DriveCheck.h"
#include "stowline/EngineControl.h"
#include "stowline/SupportedLanguage.h"
#include "stowline/TextReport.h"
#include "stowline/UnicodeText.h"

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
    "usage: stowline-cli verify ROOT [--mhl FILE] [--record] [--lang en|pt-BR]\n"
    "\n"
    "Reads every file listed in the hash lists of ROOT's \"Hash Log\" folder again, around the\n"
    "file cache, and compares it with the list. With --mhl, checks that one list instead; its\n"
    "paths are relative to ROOT when it lies in ROOT's \"Hash Log\", else to its own folder.\n"
    "When several lists name a file, the newest entry is checked.\n"
    "\n"
    "Without --mhl, the ASC MHL histories (\"ascmhl\" folders) under ROOT are checked too:\n"
    "each file a history records against its record, and each manifest against the C4 ID its\n"
    "chain holds (a manifest that does not match was changed after it was written). With\n"
    "--record, every intact history gets a new \"in-place\" generation recording what was\n"
    "read; without it, verify writes nothing.\n"
    "\n"
    "One line per file: ok, changed, size differs, missing, unreadable, not checked (only\n"
    "hashes this tool cannot compute), refused (a path outside its folder) or ambiguous (two\n"
    "names on the drive that a list writes the same way), then the counts and the files under\n"
    "ROOT that no list covers. Those are shown but do not fail the check. Everything is said\n"
    "in the language of --lang (default: the application's choice, else the system's\n"
    "preferred languages), those words too; scripts read the exit status.\n"
    "\n"
    "Exit status: 0 every listed file is intact; 1 anything else (a file not intact, a list\n"
    "that cannot be read, no list found); 2 usage error; 130 interrupted.\n";

/// A listed name or message as one safe line, escaped as the text report shows names.
std::string printable(std::string_view text) {
    return stowline::TextReport::visibleText(text);
}

std::string printable(const QString& text) {
    return printable(text.toStdString());
}

/// A file's status as the first word of its line.
std::string statusWord(stowline::DriveCheckStatus status) {
    using S = stowline::DriveCheckStatus;
    switch (status) {
    case S::ok:
        return say("cli.verify.status.ok");
    case S::changed:
        return say("cli.verify.status.changed");
    case S::sizeDiffers:
        return say("cli.verify.status.size_differs");
    case S::missing:
        return say("cli.verify.status.missing");
    case S::unreadable:
        return say("cli.verify.status.unreadable");
    case S::notChecked:
        return say("cli.verify.status.not_checked");
    case S::refused:
        return say("cli.verify.status.refused");
    case S::ambiguous:
        return say("cli.verify.status.ambiguous");
    }
    return std::string(stowline::toText(status));
}

/// What verify was asked to do.
struct VerifyRequest {
    std::optional<stowline::SupportedLanguage> language;
    stowline::DriveCheckOptions options;
};

/// Reads the command line into `request`; the exit status when the command ends here
/// (help shown, or a usage error).
std::optional<int> parseRequest(const std::vector<std::string>& args, VerifyRequest& request) {
    std::optional<std::string> root;
    auto& options = request.options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--help" || args[i] == "-h") {
            std::fputs(verifyUsage, stdout);
            return 0;
        }
        if (args[i] == "--lang") {
            request.language =
                i + 1 < args.size() ? stowline::supportedLanguageFromRaw(args[++i]) : std::nullopt;
            if (!request.language) {
                std::fprintf(stderr, "stowline-cli: verify: --lang takes en or pt-BR\n\n%s", verifyUsage);
                return 2;
            }
        } else if (args[i] == "--mhl") {
            if (i + 1 >= args.size() || options.list) {
                std::fputs(verifyUsage, stderr);
                return 2;
            }
            options.list = args[++i];
        } else if (args[i] == "--record") {
            options.recordHistories = true;
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
    return std::nullopt;
}

/// One line per decided file, and the live line between them on a terminal (sharing it
/// with the results, as offload's does).
class CheckPrinter {
public:
    [[nodiscard]] stowline::DriveCheckObserver observer() {
        stowline::DriveCheckObserver observer;
        observer.progress = [this](const stowline::DriveCheckProgress& progress) { showProgress(progress); };
        observer.checked = [this](const stowline::CheckedFile& file) { showChecked(file); };
        return observer;
    }

    void clear() { progressLine_.clear(); }

private:
    void showProgress(const stowline::DriveCheckProgress& progress) {
        if (!interactive_) {
            return;
        }
        if (progress.fileIndex != shownIndex_) {
            shownIndex_ = progress.fileIndex;
            progressLine_.setFile("[" + std::to_string(progress.fileIndex + 1) + "/" +
                                  std::to_string(progress.fileCount) + "] " + std::string(progress.path));
        }
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - started_).count();
        progressLine_.update(progress.bytesDone, progress.bytesTotal,
                             seconds > 0.5 ? static_cast<double>(progress.bytesDone) / seconds : 0.0);
    }

    void showChecked(const stowline::CheckedFile& file) {
        progressLine_.clear();
        const std::string status = statusWord(file.status);
        const std::size_t width = stowline::UnicodeText::graphemeCount(status);
        std::string lines =
            status + std::string(width < 12 ? 12 - width : 0, ' ') + "  " + printable(file.path) + "\n";
        if (file.status != stowline::DriveCheckStatus::ok &&
            file.status != stowline::DriveCheckStatus::missing) {
            if (const QString detail = DriveCheckText::detail(file); !detail.isEmpty()) {
                lines += std::string(14, ' ') + "(" + printable(detail) + ")\n";
            }
        }
        Output::out(lines);
    }

    const bool interactive_ = ::isatty(STDOUT_FILENO) == 1;
    ProgressLine progressLine_;
    const std::chrono::steady_clock::time_point started_ = std::chrono::steady_clock::now();
    std::size_t shownIndex_ = SIZE_MAX;
};

/// The count of each status found ("12 ok, 1 changed"); ok always, the others when found.
std::string countsOf(const stowline::DriveCheckResult& result) {
    using stowline::DriveCheckStatus;
    std::string counts;
    for (const auto status :
         {DriveCheckStatus::ok, DriveCheckStatus::changed, DriveCheckStatus::sizeDiffers,
          DriveCheckStatus::missing, DriveCheckStatus::unreadable, DriveCheckStatus::notChecked,
          DriveCheckStatus::refused, DriveCheckStatus::ambiguous}) {
        if (const std::size_t n = result.count(status); n > 0 || status == DriveCheckStatus::ok) {
            counts += (counts.empty() ? "" : ", ") + L10n::number(static_cast<qint64>(n)).toStdString() +
                      " " + statusWord(status);
        }
    }
    return counts;
}

/// The lines after the files: counts, what no list covers, histories recorded, the verdict.
std::string closingOf(const stowline::DriveCheckResult& result) {
    std::string closing =
        "\n" +
        say("cli.verify.counts", static_cast<qint64>(result.checked()),
            L10n::plural("mhl_lists_count", static_cast<qint64>(result.lists.size())), countsOf(result)) +
        "\n";
    if (!result.notCovered.empty()) {
        closing += say("cli.verify.uncovered", static_cast<qint64>(result.notCovered.size())) + "\n";
        for (const auto& path : result.notCovered) {
            closing += "  " + printable(path) + "\n";
        }
    }
    for (const auto& manifest : result.recorded) {
        closing += "ASC MHL: " + printable(manifest.string()) + "\n";
    }
    closing += say(result.intact() ? "cli.verify.intact" : "cli.verify.not_intact") + "\n";
    // A short list can be wholly intact on a drive that a job left half-way.
    for (const auto& incomplete : result.incompleteLists) {
        closing += say("cli.verify.incomplete", printable(incomplete.list.filename().string()),
                       OffloadText::incomplete(incomplete.job.exit, incomplete.job.fileCount)) +
                   "\n";
    }
    return closing;
}

} // namespace

int runVerify(const std::vector<std::string>& args) {
    VerifyRequest request;
    if (const auto status = parseRequest(args, request)) {
        return *status;
    }
    // A reader that goes away (verify … | head) ends the printing, not the check.
    Output::keepRunningWithoutReader();
    const QtApplication qt;
    if (request.language) {
        Localization::setOverrideForThisProcess(request.language);
    } else {
        Localization::refresh(); // the override the application stored, else the environment
    }
    stowline::EngineControl control;
    CheckPrinter printer;
    stowline::DriveCheckResult result;
    bool interrupted = false;
    {
        SignalWatcher signals([&control] { control.set(stowline::EngineControl::State::cancelled); });
        result = stowline::DriveCheck::run(request.options, printer.observer(), &control);
        interrupted = signals.signalled();
    }
    printer.clear();

    for (const auto& problem : result.problems) {
        Output::err("stowline-cli: " + printable(problem.path.string()) + ": " +
                    printable(DriveCheckText::problem(problem)) + "\n");
    }
    if (result.cancelled || interrupted) {
        Output::err("stowline-cli: " +
                    say("cli.verify.interrupted",
                        L10n::plural("files_count", static_cast<qint64>(result.checked()))) +
                    "\n");
        return 130;
    }
    Output::out(closingOf(result));
    return result.intact() ? 0 : 1;
}

} // namespace cli
