#include "Commands.h"
#include "OffloadText.h"
#include "Output.h"
#include "ProgressLine.h"
#include "QtApplication.h"
#include "Say.h"
#include "Signals.h"

#include "report/PdfJobReport.h"
#include "settings/FailureText.h"
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

#include <algorithm>
#include <cctype>
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
                                     "[--no-txt] [--pdf] [--ascmhl] [--ascmhl-hash xxh128|md5|sha1] "
                                     "[--lang en|pt-BR]\n";

enum class OnFull { ask, drop, wait };

struct OffloadArgs {
    std::vector<fs::path> sources;
    std::vector<fs::path> destinations;
    std::optional<OnFull> onFull;
    bool sequential = false;
    bool noWait = false; ///< refuse, rather than wait, when another job writes to a destination
    ReportFormats formats = ReportFormats::both();
    std::optional<HashFormats> ascMhl;         ///< the formats of the ASC MHL histories, when written
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
        } else if (arg == "--ascmhl") {
            parsed.ascMhl = parsed.ascMhl.value_or(HashFormats{HashFormat::xxh64});
        } else if (arg == "--ascmhl-hash") {
            const std::string value = hasValue ? args[++i] : std::string();
            const auto format = hashFormatNamed(value);
            if (!format || (*format != HashFormat::xxh128 && *format != HashFormat::md5 &&
                            *format != HashFormat::sha1 && *format != HashFormat::xxh64)) {
                throw UsageError{"--ascmhl-hash takes xxh128, md5 or sha1" +
                                 (value.empty() ? std::string() : ", not '" + value + "'")};
            }
            parsed.ascMhl = parsed.ascMhl.value_or(HashFormats{HashFormat::xxh64});
            parsed.ascMhl->insert(*format);
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

/// Refuses what would write nowhere sensible, before anything is written. In the chosen
/// language: call once it is active.
void validate(const OffloadArgs& args) {
    using OffloadText::shown;
    std::vector<fs::path> roots;
    for (const auto& dest : args.destinations) {
        std::error_code error;
        if (!fs::is_directory(dest, error)) {
            throw UsageError{say("cli.offload.dest_not_folder", shown(dest))};
        }
        const fs::path canonical = fs::canonical(dest, error);
        if (error) {
            throw UsageError{
                say("cli.offload.dest_unresolved", shown(dest), FailureText::systemReason(error.value()))};
        }
        // Device and inode, so that a second spelling through a bind mount is caught too.
        if (std::any_of(roots.begin(), roots.end(),
                        [&](const fs::path& root) { return fs::equivalent(root, canonical, error); })) {
            throw UsageError{say("cli.offload.dest_twice", shown(dest))};
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
                throw UsageError{
                    say("cli.offload.dest_inside_source", shown(args.destinations[i]), shown(source))};
            case PathOverlap::sourceInDestination:
                throw UsageError{
                    say("cli.offload.source_in_dest", shown(source), shown(args.destinations[i]))};
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
        Output::err(say("cli.offload.disk_full.answer") + " ");
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

/// Makes the chosen language active (Qt needs its application object for the catalog and
/// the preference store): it words the reports and everything the command says, sizes and
/// numbers included.
void chooseLanguage(const std::optional<SupportedLanguage>& language) {
    if (language) {
        Localization::setOverrideForThisProcess(language);
    } else {
        Localization::refresh(); // the override the application stored, else the environment
    }
}

/// The Hash Log's words, in the active language.
HashLogSetup prepareHashLog(const OffloadArgs& args) {
    HashLogSetup setup;
    setup.formats = args.formats;
    setup.label = ReportStrings::sourcesLabel(args.sources).toStdString();
    setup.strings = ReportStrings::current();
    setup.locale = std::string(localeIdentifier(Localization::current()));
    return setup;
}

/// Writes each destination's Hash Log for a finished job, as the application does: only
/// when the job has file reports and was not cancelled. Returns the result for the caller
/// to report.
ReportWriteResult writeHashLogs(const HashLogSetup& setup, const CopyJob& job, const JobSummary& summary) {
    std::optional<PdfJobReport> pdf;
    if (setup.formats.contains(ReportFormats::pdf())) {
        pdf.emplace(summary, job.sources, job.destinations, QString::fromStdString(setup.label));
    }
    return ReportWriter::writeForFinishedJob(summary, job.sources, job.destinations, setup.label,
                                             setup.formats, setup.strings,
                                             pdf ? pdf->renderer() : ReportWriter::PdfRenderer());
}

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
                complain(say("cli.offload.destination_left", shown(failed->root),
                             OffloadText::destinationReason(failed->reason)));
            } else if (const auto* full = event->get<EngineEvent::DiskFull>()) {
                diskFull(*full);
            } else if (event->is<EngineEvent::Finished>()) {
                // Moved, not copied: with a card of many files the reports are the largest
                // thing the process holds.
                summary = std::move(std::get<EngineEvent::Finished>(event->value).summary);
            }
        }
        progress_.clear();
        if (!summary) {
            complain(say("cli.offload.no_summary"));
            return 1;
        }
        if (const auto& inside = summary->destinationInsideSource) {
            // Seen by the scan, where no path showed it (a bind mount): refused as the check
            // before the job refuses it, before anything was copied.
            complain(
                say("cli.offload.dest_inside_source", shown(inside->destination), shown(inside->source)));
            return 2;
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
        for (const auto& [root, folders] : summary->folderFailures) {
            for (const auto& folder : folders) {
                complain(OffloadText::folderReason(folder));
            }
        }
        for (const auto& root : logs.failedRoots) {
            complain(say("cli.offload.hash_log_failed", shown(root)));
        }
        const bool historiesWritten = reportHistories(*summary);
        std::string closing = OffloadText::summary(*summary, *fileCount_, hashLog_.strings);
        for (const auto& file : logs.written) {
            closing += "Hash Log: " + shown(file) + "\n";
        }
        for (const auto& [root, histories] : summary->ascMhlByRoot) {
            for (const auto& history : histories) {
                for (const auto& manifest : history.manifests) {
                    closing += "ASC MHL: " + shown(manifest) + "\n";
                }
            }
        }
        Output::out(closing);
        const bool logsWritten = logs.failedRoots.empty() && historiesWritten;
        if (summary->cancelled) {
            return 130;
        }
        return clean(*summary) && logsWritten ? 0 : 1;
    }

private:
    static std::string shown(const fs::path& path) { return OffloadText::shown(path); }

    void complain(const std::string& message) {
        progress_.clear();
        Output::err("stowline-cli: " + message + "\n");
    }

    /// Says on standard error what the ASC MHL histories left out or could not do; false when
    /// a copied folder got no new generation.
    bool reportHistories(const JobSummary& summary) {
        bool all = true;
        for (const auto& [root, histories] : summary.ascMhlByRoot) {
            for (const auto& history : histories) {
                const std::string folder = shown(history.folder);
                if (history.manifests.empty()) {
                    all = false;
                    complain(say("cli.offload.ascmhl.not_written", folder));
                }
                for (const auto& note : history.notes) {
                    complain(say("cli.offload.ascmhl.note", folder, TextReport::visibleText(note)));
                }
                for (const auto& path : history.leftOut) {
                    complain(say("cli.offload.ascmhl.left_out", folder, TextReport::visibleText(path)));
                }
            }
        }
        return all;
    }

    void fileFinished(const FileReport& report) {
        if (report.outcome == FileOutcome::failed) {
            complain(say("cli.offload.file_failed", shown(report.relativePath),
                         report.errorDescription
                             ? OffloadText::reason(*report.errorDescription, hashLog_.strings)
                             : hashLog_.strings.errorUnknown));
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
        const std::string what = say("cli.offload.disk_full", shown(full.root),
                                     ByteFormat::string(full.needed), ByteFormat::string(full.available));
        switch (onFull_) {
        case OnFull::drop:
            complain(say("cli.offload.disk_full.dropping", what));
            gate_.drop(full.root);
            return;
        case OnFull::wait:
            if (const std::int64_t whole = CopyEngine::totalSpace(full.root);
                whole >= 0 && full.needed > whole) {
                complain(say("cli.offload.disk_full.too_large", what, ByteFormat::string(whole)));
                gate_.drop(full.root);
                return;
            }
            if (waitingFor_.insert(full.root).second) {
                complain(say("cli.offload.disk_full.waiting", what));
            }
            // Poll: let the engine look at the free space again in a second.
            for (int i = 0; i < 10 && !gate_.cancelled(); ++i) {
                ::usleep(100'000);
            }
            gate_.resume();
            return;
        case OnFull::ask:
            if (::isatty(STDIN_FILENO) != 1) {
                complain(say("cli.offload.disk_full.no_terminal", what));
                gate_.drop(full.root);
                return;
            }
            complain(what);
            Output::err(say("cli.offload.disk_full.ask") + " ");
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
        } catch (const ScanError& error) {
            return OffloadText::scanFailure(error);
        } catch (const std::exception& error) {
            return say("cli.offload.scan_failed", TextReport::visibleText(error.what()));
        }
        return say("cli.offload.scan_failed", say("report.error.unknown"));
    }

    /// Every file verified or skipped at every destination, and no destination failed.
    bool clean(const JobSummary& summary) const {
        if (summary.errorCount() != 0 || summary.folderFailureCount() != 0 || !failedRoots_.empty() ||
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
                Output::err("stowline-cli: " + say("cli.offload.busy.refused", OffloadText::shown(root)) +
                            "\n");
            } else if (announced.insert(root).second) {
                Output::err("stowline-cli: " + say("cli.offload.busy.waiting", OffloadText::shown(root)) +
                            "\n");
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
    std::optional<QtApplication> qt;
    try {
        parsed = parse(args);
        // Everything from here on is said in the chosen language; a usage error above goes
        // with the usage, in English.
        qt.emplace(parsed.formats.contains(ReportFormats::pdf()));
        chooseLanguage(parsed.language);
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
    HashLogSetup hashLog = prepareHashLog(parsed);

    CopyJob job{parsed.sources, parsed.destinations};
    CopyEngine::Options options;
    options.sequential = parsed.sequential;
    if (parsed.ascMhl) {
        options.ascMhl = AscMhlOptions{*parsed.ascMhl, AscMhlCreator::current()};
    }
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
