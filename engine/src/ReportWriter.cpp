#include "stowline/ReportWriter.h"

#include "Utf8Scan.h"
#include "stowline/CopyFailureReason.h"
#include "stowline/MHLReport.h"
#include "stowline/TextReport.h"
#include "stowline/UniqueFd.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <ctime>
#include <functional>
#include <random>
#include <span>
#include <system_error>

namespace stowline::ReportWriter {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view mhlExtension = ".mhl";
constexpr std::string_view textExtension = "_report.txt";
constexpr std::string_view pdfExtension = "_report.pdf";
static_assert(pdfExtension.size() == textExtension.size());
constexpr std::array<std::string_view, 3> allExtensions{mhlExtension, textExtension, pdfExtension};
// Room kept in a file name for the longest ending: a " (NNNNN)" suffix and "_report.txt".
constexpr std::size_t longestEnding = 8 + textExtension.size();
constexpr std::size_t nameMax = 255;
constexpr int maxSuffix = 99999;

std::string suffixFor(int number) {
    return number == 1 ? std::string() : " (" + std::to_string(number) + ")";
}

enum class NameState { free, taken, unusable };

std::error_code systemError(int value) {
    return {value, std::system_category()};
}

/// One root's writing: the seam every file operation goes through, and the first failure.
struct RootWrite {
    FileOps& ops;
    fs::path folder;
    std::optional<FailureCause> failure;

    void fail(FailureStep step, const std::error_code& error, const fs::path& path) {
        if (!failure) {
            failure = FailureCause{step, error.value(), path.string()};
        }
    }
};

NameState nameState(RootWrite& root, const std::string& name, std::error_code& error) {
    if (root.ops.status(root.folder / name, error)) {
        return NameState::taken;
    }
    return error == std::errc::no_such_file_or_directory ? NameState::free : NameState::unusable;
}

std::string randomTemporaryName() {
    thread_local std::mt19937_64 random{std::random_device{}()};
    std::array<char, 40> name{};
    std::snprintf(name.data(), name.size(), ".stowline-report-%016llx.tmp",
                  static_cast<unsigned long long>(random()));
    return name.data();
}

/// Removes the temporaries an earlier writer left when it was killed mid-write. Only names
/// of our own pattern, and only ones old enough that no writer can still be at work on them.
void removeStaleTemporaries(RootWrite& root) {
    constexpr std::string_view prefix = ".stowline-report-";
    constexpr std::string_view suffix = ".tmp";
    const std::time_t now = std::time(nullptr);
    std::error_code error;
    for (fs::directory_iterator it(root.folder, error), end; !error && it != end; it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (name.size() != prefix.size() + 16 + suffix.size() || !name.starts_with(prefix) ||
            !name.ends_with(suffix)) {
            continue;
        }
        std::error_code statError;
        const auto status = root.ops.status(it->path(), statError);
        if (status && status->type == FileStatus::Type::regular &&
            now - status->modificationTime.tv_sec > 60) {
            (void)root.ops.unlink(it->path());
        }
    }
}

// A temporary file beside the final name, created exclusively (never someone else's file).
UniqueFd createTemporary(RootWrite& root, fs::path& temporaryPath) {
    std::error_code error;
    fs::path candidate;
    for (int attempt = 0; attempt < 100; ++attempt) {
        candidate = root.folder / randomTemporaryName();
        UniqueFd fd = root.ops.createNew(candidate, error);
        if (fd) {
            temporaryPath = std::move(candidate);
            return fd;
        }
        if (error != std::errc::file_exists) {
            break;
        }
    }
    root.fail(FailureStep::createCopy, error, candidate);
    return UniqueFd();
}

// Gives the temporary file the name `target` unless that name exists: an existing file is
// never replaced. A hard link is tried first (the temporary name stays until the caller
// drops it); file systems without hard links get the no-replace rename. EEXIST when the name
// is taken; `moved` tells which way it went.
std::error_code publishWithoutReplacing(FileOps& ops, const fs::path& temporaryPath, const fs::path& target,
                                        bool& moved) {
    moved = false;
    const std::error_code linked = ops.link(temporaryPath, target);
    if (!linked || linked == std::errc::file_exists) {
        return linked;
    }
    const std::error_code renamed = ops.renameNoReplace(temporaryPath, target);
    moved = !renamed;
    return renamed;
}

void syncFolder(RootWrite& root) {
    std::error_code error;
    UniqueFd fd = root.ops.openFolder(root.folder, error);
    if (fd) {
        (void)root.ops.syncFile(fd.get());
        (void)root.ops.close(std::move(fd));
    }
}

// Lets `fill` write a complete, durable temporary file in the root's folder. Empty path on
// failure (nothing left behind).
fs::path prepare(RootWrite& root, const std::function<std::error_code(int fd)>& fill) {
    fs::path temporaryPath;
    UniqueFd fd = createTemporary(root, temporaryPath);
    if (!fd) {
        return {};
    }
    // The report is the only proof of the copies: make sure its bytes are on the disk before
    // its name appears.
    FailureStep step = FailureStep::writeCopy;
    std::error_code error;
    try {
        error = fill(fd.get());
    } catch (...) {
        error = systemError(EIO);
    }
    if (!error) {
        step = FailureStep::finishCopy;
        error = root.ops.syncFile(fd.get());
    }
    const std::error_code closed = root.ops.close(std::move(fd));
    if (!error) {
        error = closed;
    }
    if (!error) {
        return temporaryPath;
    }
    root.fail(step, error, temporaryPath);
    (void)root.ops.unlink(temporaryPath);
    return {};
}

// Collects a document's pieces and writes them out in blocks, keeping the first error; the
// pieces after an error are dropped.
class BlockWriter {
public:
    BlockWriter(FileOps& ops, int fd) : ops_(ops), fd_(fd) { block_.reserve(blockSize); }

    void add(std::string_view piece) {
        if (error_) {
            return;
        }
        block_.append(piece);
        if (block_.size() >= blockSize) {
            flush();
        }
    }
    [[nodiscard]] std::error_code finish() {
        flush();
        return error_;
    }

private:
    static constexpr std::size_t blockSize = std::size_t{256} * 1024;

    void flush() {
        if (!error_ && !block_.empty()) {
            error_ = ops_.writeAll(fd_, std::as_bytes(std::span(block_.data(), block_.size())));
        }
        block_.clear();
    }

    FileOps& ops_;
    int fd_;
    std::string block_;
    std::error_code error_;
};

// A temporary file filled by `render`, which hands its document to the sink piece by piece.
fs::path prepareStreamed(RootWrite& root, const std::function<void(const TextSink&)>& render) {
    return prepare(root, [&root, &render](int fd) {
        BlockWriter writer(root.ops, fd);
        render([&writer](std::string_view piece) { writer.add(piece); });
        return writer.finish();
    });
}

// Each root appears at most once, even when the caller lists it twice.
void markFailed(ReportWriteResult& result, const fs::path& root, FailureCause cause) {
    if (std::find(result.failedRoots.begin(), result.failedRoots.end(), root) == result.failedRoots.end()) {
        result.failedRoots.push_back(root);
        result.failures.push_back(std::move(cause));
    }
}

struct Pending {
    std::string_view extension;
    fs::path temporaryPath; // empty when preparing failed or once moved into place
    fs::path finalPath;     // empty until published
};

// Takes back a name this call published under a variant that turned out to be taken.
void withdraw(RootWrite& root, Pending& file, bool moved) {
    if (!moved) {
        (void)root.ops.unlink(file.finalPath); // the temporary name still holds the file
    } else {
        for (int attempt = 0; attempt < 100; ++attempt) {
            fs::path back = root.folder / randomTemporaryName();
            const std::error_code error = root.ops.renameNoReplace(file.finalPath, back);
            if (!error) {
                file.temporaryPath = back;
                break;
            }
            if (error != std::errc::file_exists) {
                break; // left in place under its name; it is complete, only mispaired
            }
        }
    }
    file.finalPath.clear();
}

// Publishes the prepared files of one root under the first stem variant ("", " (2)",
// " (3)" …) at which none of this job's names exists yet, so that the files of one job
// share a name and an earlier job's files are never replaced.
void publish(RootWrite& root, const std::string& stem, std::vector<Pending>& files) {
    if (std::all_of(files.begin(), files.end(),
                    [](const Pending& file) { return file.temporaryPath.empty(); })) {
        return;
    }
    for (int number = 1; number <= maxSuffix; ++number) {
        const std::string variant = stem + suffixFor(number);
        // Every kind of report counts, written now or not, so that one name always means
        // one job.
        bool taken = false;
        for (const std::string_view extension : allExtensions) {
            std::error_code error;
            const NameState state = nameState(root, variant + std::string(extension), error);
            if (state == NameState::unusable) {
                // The folder cannot be searched: the files stay unpublished.
                root.fail(FailureStep::nameCopy, error, root.folder);
                return;
            }
            taken = taken || state == NameState::taken;
        }
        if (taken) {
            continue;
        }
        bool collided = false;
        std::vector<std::pair<Pending*, bool>> publishedNow;
        for (auto& file : files) {
            if (file.temporaryPath.empty()) {
                continue;
            }
            const fs::path target = root.folder / (variant + std::string(file.extension));
            bool moved = false;
            const std::error_code error =
                publishWithoutReplacing(root.ops, file.temporaryPath, target, moved);
            if (error == std::errc::file_exists) {
                collided = true; // another writer took this variant since the check
                break;
            }
            if (error) {
                root.fail(FailureStep::nameCopy, error, target);
                continue;
            }
            file.finalPath = target;
            publishedNow.emplace_back(&file, moved);
            if (moved) {
                file.temporaryPath.clear();
            }
        }
        if (!collided) {
            for (auto& file : files) {
                if (!file.finalPath.empty() && !file.temporaryPath.empty()) {
                    (void)root.ops.unlink(file.temporaryPath);
                    file.temporaryPath.clear();
                }
            }
            syncFolder(root);
            return;
        }
        for (auto& [file, moved] : publishedNow) {
            withdraw(root, *file, moved);
        }
    }
    root.fail(FailureStep::nameCopy, systemError(EEXIST), root.folder / stem);
}

void writeRoot(const JobSummary& summary, const std::vector<fs::path>& sources, const fs::path& rootPath,
               const std::string& stem, ReportFormats formats,
               const std::optional<TextReportStrings>& strings, const PdfRenderer& pdf, FileOps& ops,
               ReportWriteResult& result) {
    // The reports are built one at a time as the files are written: a card of many files
    // is never copied per root.
    const RootSummary share(summary, rootPath);
    RootWrite root{ops, rootPath / std::string(logFolderName), std::nullopt};
    if (const auto error = ops.createDirectories(root.folder)) {
        markFailed(result, rootPath, {FailureStep::createFolder, error.value(), root.folder.string()});
        return;
    }
    removeStaleTemporaries(root);

    std::vector<Pending> files;
    if (formats.contains(ReportFormats::mhl())) {
        const CreatorInfo creator = CreatorInfo::current();
        files.push_back(
            {mhlExtension,
             prepareStreamed(root,
                             [&](const TextSink& out) { MHLReport::render(share, toolName, creator, out); }),
             {}});
    }
    if (formats.contains(ReportFormats::text())) {
        if (strings) {
            files.push_back({textExtension,
                             prepareStreamed(root,
                                             [&](const TextSink& out) {
                                                 TextReport::render(share, sources, rootPath, *strings, out);
                                             }),
                             {}});
        } else {
            root.fail(FailureStep::other, {}, rootPath); // nothing to word the report with
        }
    }
    if (formats.contains(ReportFormats::pdf())) {
        if (pdf) {
            files.push_back({pdfExtension,
                             prepare(root,
                                     [&](int fd) {
                                         return pdf(summary.summary(rootPath), rootPath, fd)
                                                    ? std::error_code()
                                                    : systemError(EIO);
                                     }),
                             {}});
        } else {
            root.fail(FailureStep::other, {}, rootPath); // nothing to draw it with
        }
    }
    try {
        publish(root, stem, files);
    } catch (...) {
        root.fail(FailureStep::other, {}, root.folder);
    }
    for (auto& file : files) {
        if (!file.temporaryPath.empty()) {
            (void)ops.unlink(file.temporaryPath);
        }
        if (file.finalPath.empty()) {
            root.fail(FailureStep::other, {}, root.folder);
        } else {
            result.written.push_back(file.finalPath);
        }
    }
    if (root.failure) {
        markFailed(result, rootPath, *root.failure);
    }
}

} // namespace

std::string reportBaseName(std::string_view label, Date date) {
    std::string name(label);
    for (char& c : name) {
        if (c == '/' || c == ':') {
            c = '-';
        }
    }
    // A leading dot would hide the reports, and "._" names read as another system's metadata.
    for (char& c : name) {
        if (c != '.') {
            break;
        }
        c = '_';
    }
    const std::time_t seconds =
        std::chrono::system_clock::to_time_t(std::chrono::floor<std::chrono::seconds>(date));
    std::tm parts{};
    std::array<char, 32> stamp{};
    std::size_t stampLength = 0;
    if (::localtime_r(&seconds, &parts) != nullptr) {
        stampLength = std::strftime(stamp.data(), stamp.size(), "%Y%m%d-%H%M%S", &parts);
    }
    const std::string tail = "_" + std::string(stamp.data(), stampLength);
    // A long label must not make the file names too long for the file system.
    name = utf8scan::truncated(name, nameMax - longestEnding - tail.size());
    return name + tail;
}

ReportWriteResult write(const JobSummary& summary, const std::vector<fs::path>& sources,
                        const std::vector<fs::path>& destinationRoots, std::string_view label,
                        ReportFormats formats, Date date, const std::optional<TextReportStrings>& strings,
                        const PdfRenderer& pdf, FileOps& ops) {
    ReportWriteResult result;
    try {
        if (formats.empty()) {
            return result;
        }
        const std::string stem = reportBaseName(label, date);
        for (const auto& root : destinationRoots) {
            try {
                std::error_code error;
                if (!ops.status(root, error) && error == std::errc::no_such_file_or_directory) {
                    markFailed(result, root, {FailureStep::destinationGone, error.value(), root.string()});
                    continue;
                }
                writeRoot(summary, sources, root, stem, formats, strings, pdf, ops, result);
            } catch (...) {
                markFailed(result, root, {FailureStep::other, 0, root.string()});
            }
        }
    } catch (...) {
        // Only an allocation failure gets here; what was written so far is still reported.
    }
    return result;
}

ReportWriteResult writeForFinishedJob(const JobSummary& summary, const std::vector<fs::path>& sources,
                                      const std::vector<fs::path>& destinationRoots, std::string_view label,
                                      ReportFormats formats, const std::optional<TextReportStrings>& strings,
                                      const PdfRenderer& pdf) {
    if (summary.cancelled || summary.reports.empty()) {
        return {};
    }
    std::vector<fs::path> present;
    std::vector<fs::path> gone;
    for (const auto& root : destinationRoots) {
        const auto exit = summary.exitOf(root);
        (exit && exit->reason == CopyFailureReason::destinationDisconnected ? gone : present).push_back(root);
    }
    auto result = write(summary, sources, present, label, formats, summary.finishDate, strings, pdf);
    for (const auto& root : gone) {
        markFailed(result, root, {FailureStep::destinationGone, 0, root.string()});
    }
    return result;
}

} // namespace stowline::ReportWriter
