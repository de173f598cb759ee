#include "Commands.h"
#include "OffloadText.h"
#include "Output.h"
#include "ProgressLine.h"
#include "Signals.h"

#include "report/PdfJobReport.h"
#include "settings/Localization.h"
#include "settings/ReportStrings.h"
#include "stowline/ByteFormat.h"
#include "stowline/CopyEngine.h"
#include "stowline/CopyFailureReason.h"
#include "stowline/DestinationLocks.h"
#include "stowline/FileScanner.h"
#include "stowline/PathOverlap.h"
#include "stowline/ReportWriter.h"
#include "stowline/SupportedLanguage.h"
#include "stowline/TextReport.h"

#include <QGuiApplication>

#include <algorithm>
#include <cctype>
#include <clocale>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <poll.h>
#include <set>
#include <unistd.h>

namespace cli {
namespace {

namespace fs = std::filesystem;
using namespace stowline;

constexpr const char* offloadUsage = "usage: stowline-cli offload SOURCE... --dest DIR [--dest DIR ...] "
                                     "[--on-full ask|drop|wait] [--sequential] [--no-wait] [--no-mhl] "
                                     "[--no-txt] [--pdf] [--lang en|pt-BR]\n";

enum class OnFull { ask, drop, wait };

struct OffloadArgs {
    std::vector<fs::path> sources;
    std::vector<fs::path> destinations;
    std::optional<OnFull> onFull;
    bool sequential = false;
    bool noWait = false; ///< refuse, rather than wait, when another job writes to a destination
    ReportFormats formats = ReportFormats::both();
    std::optional<SupportedLanguage> language; ///< none: resolved as the application does
};

struct UsageError {
    std::string message;
};

OffloadArgs parse(const std::vector<std::string>& args) {
    OffloadArgs parsed;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool hasValue = i + 1 < args.size();
        if (arg == "--dest") {
            if (!hasValue) {
                throw UsageError{"--dest needs a folder"};
            }
            parsed.destinations.emplace_back(args[++i]);
        } else if (arg == "--on-full") {
            if (!hasValue) {
                throw UsageError{"--on-full needs ask, drop or wait"};
            }
            const std::string& value = args[++i];
            if (value == "ask") {
                parsed.onFull = OnFull::ask;
            } else if (value == "drop") {
                parsed.onFull = OnFull::drop;
            } else if (value == "wait") {
                parsed.onFull = OnFull::wait;
            } else {
                throw UsageError{"--on-full takes ask, drop or wait, not '" + value + "'"};
            }
        } else if (arg == "--sequential") {
            parsed.sequential = true;
        } else if (arg == "--no-wait") {
            parsed.noWait = true;
        } else if (arg == "--no-mhl") {
            parsed.formats.remove(ReportFormats::mhl());
        } else if (arg == "--no-txt") {
            parsed.formats.remove(ReportFormats::text());
        } else if (arg == "--pdf") {
            parsed.formats.insert(ReportFormats::pdf());
        } else if (arg == "--lang") {
            if (!hasValue) {
                throw UsageError{"--lang needs en or pt-BR"};
            }
            const std::string& value = args[++i];
            parsed.language = supportedLanguageFromRaw(value);
            if (!parsed.language) {
                throw UsageError{"--lang takes en or pt-BR, not '" + value + "'"};
            }
        } else if (arg == "--") {
            for (++i; i < args.size(); ++i) {
                parsed.sources.emplace_back(args[i]);
            }
        } else if (arg.size() > 1 && arg.front() == '-') {
            throw UsageError{"unknown option '" + arg + "'"};
        } else {
            parsed.sources.emplace_back(arg);
        }
    }
    if (parsed.sources.empty()) {
        throw UsageError{"no source given"};
    }
    if (parsed.destinations.empty()) {
        throw UsageError{"no destination given (--dest DIR)"};
    }
    return parsed;
}

/// `path` from the root, "." and ".." resolved lexically (a symbolic link stays as typed),
/// without a trailing slash.
fs::path absoluteOf(const fs::path& path) {
    std::error_code error;
    fs::path absolute = fs::absolute(path, error);
    if (error) {
        return path;
    }
    absolute = absolute.lexically_normal();
    if (!absolute.has_filename() && absolute.has_relative_path()) {
        absolute = absolute.parent_path();
    }
    return absolute;
}

/// Refuses what would write nowhere sensible, before anything is written.
void validate(const OffloadArgs& args) {
    std::vector<fs::path> roots;
    for (const auto& dest : args.destinations) {
        std::error_code error;
        if (!fs::is_directory(dest, error)) {
            throw UsageError{"destination " + dest.string() + " is not an existing folder"};
        }
        const fs::path canonical = fs::canonical(dest, error);
        if (error) {
            throw UsageError{"destination " + dest.string() + " cannot be resolved: " + error.message()};
        }
        // Device and inode, so that a second spelling through a bind mount is caught too.
        if (std::any_of(roots.begin(), roots.end(),
                        [&](const fs::path& root) { return fs::equivalent(root, canonical, error); })) {
            throw UsageError{"destination " + dest.string() + " is given twice"};
        }
        roots.push_back(canonical);
    }
    for (const auto& source : args.sources) {
        for (std::size_t i = 0; i < args.destinations.size(); ++i) {
            // Copying a card into a folder on that same card would make the next offload of
            // the card copy its own copies; a source straight inside a destination would be
            // copied onto itself. Links and bind mounts are seen through.
            switch (pathOverlap(source, args.destinations[i])) {
            case PathOverlap::destinationInsideSource:
                throw UsageError{"destination " + args.destinations[i].string() + " lies inside the source " +
                                 source.string()};
            case PathOverlap::sourceInDestination:
                throw UsageError{"source " + source.string() + " lies directly in the destination " +
                                 args.destinations[i].string() + " and would be copied onto itself"};
            case PathOverlap::none:
                break;
            }
        }
    }
}

/// Every write the command makes to the engine control, in one place: once a signal has
/// asked for a cancel, no answer to a disk-full may turn it back into running.
class ControlGate {
public:
    explicit ControlGate(EngineControl& control) : control_(control) {}

    void cancel() {
        std::lock_guard guard(mutex_);
        cancelled_ = true;
        control_.set(EngineControl::State::cancelled);
    }
    void resume() {
        std::lock_guard guard(mutex_);
        if (!cancelled_) {
            control_.set(EngineControl::State::running);
        }
    }
    void drop(const fs::path& root) {
        std::lock_guard guard(mutex_);
        if (!cancelled_) {
            control_.dropRoot(root);
            control_.set(EngineControl::State::running);
        }
    }
    [[nodiscard]] bool cancelled() {
        std::lock_guard guard(mutex_);
        return cancelled_;
    }

private:
    EngineControl& control_;
    std::mutex mutex_;
    bool cancelled_ = false;
};

/// Reads one answer from standard input, giving up when a cancel comes first.
std::optional<char> readAnswer(ControlGate& gate) {
    for (;;) {
        if (gate.cancelled()) {
            return std::nullopt;
        }
        pollfd in{STDIN_FILENO, POLLIN, 0};
        const int ready = ::poll(&in, 1, 100);
        if (ready <= 0) {
            continue;
        }
        std::string line;
        char c = 0;
        ssize_t got = 0;
        while ((got = ::read(STDIN_FILENO, &c, 1)) == 1 && c != '\n') {
            line += c;
        }
        if (got <= 0 && line.empty()) {
            return 'd'; // no one left to answer: drop rather than wait forever
        }
        if (!line.empty() && (line[0] == 'r' || line[0] == 'R' || line[0] == 'd' || line[0] == 'D')) {
            return static_cast<char>(std::tolower(line[0]));
        }
        Output::err("Please answer r (resume) or d (drop): ");
    }
}

/// What the Hash Log of a job is written with, settled before the copy starts so that a
/// missing resource bundle stops the command before anything is copied.
struct HashLogSetup {
    ReportFormats formats = ReportFormats::none();
    std::string label;
    TextReportStrings strings;
    std::string locale; ///< the report language's ByteFormat locale
};

/// The report language made active (Qt needs its application object for the catalog and
/// the preference store). It words the reports and every failure the command prints; the
/// command's own sentences stay English: ByteFormat goes back to "en_US" until the reports
/// are written.
HashLogSetup prepareHashLog(const OffloadArgs& args) {
    HashLogSetup setup;
    setup.formats = args.formats;
    if (args.language) {
        Localization::setOverrideForThisProcess(args.language);
    } else {
        Localization::refresh(); // the override the application stored, else the environment
    }
    setup.label = ReportStrings::sourcesLabel(args.sources).toStdString();
    setup.strings = ReportStrings::current();
    setup.locale = std::string(localeIdentifier(Localization::current()));
    ByteFormat::setLocale("en_US");
    return setup;
}

/// Writes each destination's Hash Log for a finished job, as the application does: only
/// when the job has file reports and was not cancelled. Returns the result for the caller
/// to report.
ReportWriteResult writeHashLogs(const HashLogSetup& setup, const CopyJob& job, const JobSummary& summary) {
    ByteFormat::setLocale(setup.locale);
    std::optional<PdfJobReport> pdf;
    if (setup.formats.contains(ReportFormats::pdf())) {
        pdf.emplace(summary, job.sources, job.destinations, QString::fromStdString(setup.label));
    }
    ReportWriteResult result =
        ReportWriter::writeForFinishedJob(summary, job.sources, job.destinations, setup.label, setup.formats,
                                          setup.strings, pdf ? pdf->renderer() : ReportWriter::PdfRenderer());
    ByteFormat::setLocale("en_US");
    return result;
}

/// QCoreApplication sets the C library's locale from the environment; the engine and the
/// command's output keep the "C" locale they started with. The PDF report needs fonts and a
/// painter, hence a QGuiApplication, on the offscreen platform so that no display is needed.
class QtApplication {
public:
    explicit QtApplication(bool drawing) : saved_(std::setlocale(LC_ALL, nullptr)) {
        if (drawing) {
            qputenv("QT_QPA_PLATFORM", "offscreen");
            // Standard error carries the command's own messages, which scripts read: the
            // platform's notes about the desktop session it does not use stay out of it.
            qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& message) {
                if (type == QtCriticalMsg || type == QtFatalMsg) {
                    Output::err("stowline-cli: " + message.toStdString() + "\n");
                }
            });
            app_ = std::make_unique<QGuiApplication>(argc_, argv_);
        } else {
            app_ = std::make_unique<QCoreApplication>(argc_, argv_);
        }
        std::setlocale(LC_ALL, saved_.c_str());
    }

private:
    std::string saved_;
    inline static int argc_ = 1;
    inline static char name_[] = "stowline-cli";
    inline static char* argv_[] = {name_, nullptr};
    std::unique_ptr<QCoreApplication> app_;
};

class OffloadRun {
public:
    OffloadRun(const OffloadArgs& args, CopyEngine& engine, HashLogSetup hashLog)
        : hashLog_(std::move(hashLog)), gate_(engine.control()), interactive_(::isatty(STDOUT_FILENO) == 1),
          onFull_(args.onFull.value_or(
              ::isatty(STDIN_FILENO) == 1 && ::isatty(STDERR_FILENO) == 1 ? OnFull::ask : OnFull::drop)) {}

    ControlGate& gate() { return gate_; }

    /// Reads every event of the run; returns the exit status.
    int consume(EventStream& stream, const CopyJob& job) {
        std::optional<JobSummary> summary;
        while (auto event = stream.next()) {
            if (const auto* scanned = event->get<EngineEvent::Scanned>()) {
                fileCount_ = scanned->fileCount;
            } else if (const auto* started = event->get<EngineEvent::FileStarted>()) {
                progress_.setFile(started->relativePath);
            } else if (const auto* progress = event->get<EngineEvent::Progress>()) {
                if (interactive_) {
                    progress_.update(progress->bytesProcessed, progress->totalBytes,
                                     progress->bytesPerSecond);
                }
            } else if (const auto* finished = event->get<EngineEvent::FileFinished>()) {
                fileFinished(finished->report);
            } else if (const auto* failed = event->get<EngineEvent::DestinationFailed>()) {
                failedRoots_.insert(failed->root);
                if (failed->reason == toText(CopyFailureReason::destinationDisconnected)) {
                    disconnected_.insert(failed->root);
                }
                complain("destination " + shown(failed->root) +
                         " left the job: " + OffloadText::destinationReason(failed->reason));
            } else if (const auto* full = event->get<EngineEvent::DiskFull>()) {
                diskFull(*full);
            } else if (const auto* done = event->get<EngineEvent::Finished>()) {
                summary = done->summary;
            }
        }
        progress_.clear();
        if (!summary) {
            complain("the engine ended without a summary");
            return 1;
        }
        if (!fileCount_) {
            complain(scanFailure(job));
            return 1;
        }
        // A drive that went away may have left its empty mount point on the machine's own
        // disk: a Hash Log written there would sit beside no copies.
        CopyJob present = job;
        std::erase_if(present.destinations,
                      [this](const fs::path& root) { return disconnected_.count(root) != 0; });
        const ReportWriteResult logs = writeHashLogs(hashLog_, present, *summary);
        for (const auto& root : logs.failedRoots) {
            complain("could not write the Hash Log to " + shown(root));
        }
        std::string closing = OffloadText::summary(*summary, *fileCount_, hashLog_.strings);
        for (const auto& file : logs.written) {
            closing += "Hash Log: " + shown(file) + "\n";
        }
        Output::out(closing);
        const bool logsWritten = logs.failedRoots.empty();
        if (summary->cancelled) {
            return 130;
        }
        return clean(*summary) && logsWritten ? 0 : 1;
    }

private:
    static std::string shown(const fs::path& path) { return TextReport::visibleText(path.string()); }

    void complain(const std::string& message) {
        progress_.clear();
        Output::err("stowline-cli: " + message + "\n");
    }

    void fileFinished(const FileReport& report) {
        if (report.outcome == FileOutcome::failed) {
            complain("failed " + shown(report.relativePath) + ": " +
                     (report.errorDescription
                          ? OffloadText::reason(*report.errorDescription, hashLog_.strings)
                          : "unknown reason"));
        }
        if (interactive_) {
            return;
        }
        std::string line;
        if (report.outcome == FileOutcome::failed) {
            line = "failed: " + (report.errorDescription
                                     ? OffloadText::reason(*report.errorDescription, hashLog_.strings)
                                     : std::string(""));
        } else {
            line = std::string(toText(report.outcome));
        }
        // Names escaped, as the text report shows them: a name cannot forge a line of its own.
        Output::out(line + "\t" + shown(report.relativePath) + "\n");
    }

    void diskFull(const EngineEvent::DiskFull& full) {
        const std::string what = "destination " + shown(full.root) + " is full: the next file needs " +
                                 ByteFormat::string(full.needed) + ", " + ByteFormat::string(full.available) +
                                 " free";
        switch (onFull_) {
        case OnFull::drop:
            complain(what + "; dropping it");
            gate_.drop(full.root);
            return;
        case OnFull::wait:
            if (const std::int64_t whole = CopyEngine::totalSpace(full.root);
                whole >= 0 && full.needed > whole) {
                complain(what + "; the file is larger than the whole drive (" + ByteFormat::string(whole) +
                         "), so waiting cannot help: dropping it");
                gate_.drop(full.root);
                return;
            }
            if (waitingFor_.insert(full.root).second) {
                complain(what + "; waiting for space (Ctrl-C cancels)");
            }
            // Poll: let the engine look at the free space again in a second.
            for (int i = 0; i < 10 && !gate_.cancelled(); ++i) {
                ::usleep(100'000);
            }
            gate_.resume();
            return;
        case OnFull::ask:
            if (::isatty(STDIN_FILENO) != 1) {
                complain(what + "; standard input is not a terminal to ask on: dropping it");
                gate_.drop(full.root);
                return;
            }
            complain(what);
            Output::err("Resume after freeing space, or drop this destination? [r/d] ");
            const auto answer = readAnswer(gate_);
            if (answer == 'r') {
                gate_.resume();
            } else if (answer == 'd') {
                gate_.drop(full.root);
            }
            return;
        }
    }

    /// The engine only says that the sources could not be read; scanning again names why.
    std::string scanFailure(const CopyJob& job) {
        try {
            (void)FileScanner::scan(job.sources);
        } catch (const std::exception& error) {
            return std::string("cannot read the sources: ") + error.what();
        }
        return "cannot read the sources";
    }

    /// Every file verified or skipped at every destination, and no destination failed.
    bool clean(const JobSummary& summary) const {
        if (summary.errorCount() != 0 || !failedRoots_.empty() ||
            static_cast<int>(summary.reports.size()) != *fileCount_) {
            return false;
        }
        for (const auto& [root, reports] : summary.reportsByRoot) {
            for (const auto& report : reports) {
                if (report.outcome == FileOutcome::failed) {
                    return false;
                }
            }
        }
        return true;
    }

    HashLogSetup hashLog_;
    ControlGate gate_;
    bool interactive_;
    OnFull onFull_;
    ProgressLine progress_;
    std::optional<int> fileCount_;
    std::set<fs::path> failedRoots_;
    std::set<fs::path> disconnected_; ///< no Hash Log is written there
    std::set<fs::path> waitingFor_;
};

/// Takes the job's lock on every destination, waiting while another job writes to one of
/// them (or refusing with --no-wait). Returns 0 once held, else the exit status.
int lockDestinations(const OffloadArgs& args, const SignalWatcher& signals,
                     std::optional<DestinationLocks>& locks) {
    std::set<fs::path> announced;
    std::vector<fs::path> busy;
    for (;;) {
        locks = DestinationLocks::tryAcquire(args.destinations, busy);
        if (locks) {
            return 0;
        }
        for (const auto& root : busy) {
            if (args.noWait) {
                Output::err("stowline-cli: another job is writing to " +
                            TextReport::visibleText(root.string()) + "; not starting (--no-wait)\n");
            } else if (announced.insert(root).second) {
                Output::err("stowline-cli: another job is writing to " +
                            TextReport::visibleText(root.string()) + "; waiting\n");
            }
        }
        if (args.noWait) {
            return 2;
        }
        for (int i = 0; i < 5; ++i) {
            if (signals.signalled()) {
                return 130;
            }
            ::usleep(100'000);
        }
    }
}

} // namespace

int runOffload(const std::vector<std::string>& args) {
    OffloadArgs parsed;
    try {
        parsed = parse(args);
        validate(parsed);
    } catch (const UsageError& error) {
        std::fprintf(stderr, "stowline-cli offload: %s\n%s", error.message.c_str(), offloadUsage);
        return 2;
    }
    // The job outlives its reader: `offload … | head` or a closed terminal stops the output only.
    Output::keepRunningWithoutReader();
    // The reports name the folders absolutely, and a job started inside its card ("offload .")
    // is named after the card's own folder.
    for (auto* paths : {&parsed.sources, &parsed.destinations}) {
        for (auto& path : *paths) {
            path = absoluteOf(path);
        }
    }
    ByteFormat::setLocale("en_US");
    const QtApplication qt(parsed.formats.contains(ReportFormats::pdf()));
    HashLogSetup hashLog = prepareHashLog(parsed);

    CopyJob job{parsed.sources, parsed.destinations};
    CopyEngine::Options options;
    options.sequential = parsed.sequential;
    CopyEngine engine(options);
    OffloadRun run(parsed, engine, std::move(hashLog));
    SignalWatcher signals([&run] { run.gate().cancel(); });
    // Held until the Hash Logs are written.
    std::optional<DestinationLocks> locks;
    if (const int status = lockDestinations(parsed, signals, locks); status != 0) {
        return status;
    }
    auto stream = engine.run(job);
    return run.consume(*stream, job);
}

} // namespace cli
