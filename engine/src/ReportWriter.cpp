#include "stowline/ReportWriter.h"

#include "Utf8Scan.h"
#include "stowline/MHLReport.h"
#include "stowline/TextReport.h"
#include "stowline/UniqueFd.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <ctime>
#include <random>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

// Cuts UTF-8 text to at most `limit` bytes without splitting a character.
std::string truncatedUtf8(std::string_view text, std::size_t limit) {
    std::size_t end = 0;
    while (end < text.size()) {
        const auto step = utf8scan::decode(text, end);
        if (end + step.length > limit) {
            break;
        }
        end += step.length;
    }
    return std::string(text.substr(0, end));
}

std::string suffixFor(int number) {
    return number == 1 ? std::string() : " (" + std::to_string(number) + ")";
}

enum class NameState { free, taken, unusable };

NameState nameState(const fs::path& folder, const std::string& name) {
    struct stat info {};
    if (::lstat((folder / name).c_str(), &info) == 0) {
        return NameState::taken;
    }
    return errno == ENOENT ? NameState::free : NameState::unusable;
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
void removeStaleTemporaries(const fs::path& folder) {
    constexpr std::string_view prefix = ".stowline-report-";
    constexpr std::string_view suffix = ".tmp";
    const auto now = fs::file_time_type::clock::now();
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (name.size() != prefix.size() + 16 + suffix.size() || !name.starts_with(prefix) ||
            !name.ends_with(suffix)) {
            continue;
        }
        std::error_code statError;
        const auto status = it->symlink_status(statError);
        const auto modified = fs::last_write_time(it->path(), statError);
        if (!statError && fs::is_regular_file(status) && now - modified > std::chrono::minutes(1)) {
            fs::remove(it->path(), statError);
        }
    }
}

// A temporary file beside the final name, created exclusively (never someone else's file).
UniqueFd createTemporary(const fs::path& folder, fs::path& temporaryPath) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        fs::path candidate = folder / randomTemporaryName();
        int fd = retryOnEintr(
            [&] { return ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666); });
        if (fd >= 0) {
            temporaryPath = std::move(candidate);
            return UniqueFd(fd);
        }
        if (errno != EEXIST) {
            break;
        }
    }
    return UniqueFd();
}

bool writeAll(int fd, std::string_view text) {
    while (!text.empty()) {
        ssize_t written = retryOnEintr([&] { return ::write(fd, text.data(), text.size()); });
        if (written <= 0) {
            return false;
        }
        text.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

// Gives the temporary file the name `target` unless that name exists: an existing file is
// never replaced. A hard link is tried first (the temporary name stays until the caller
// drops it); file systems without hard links get the no-replace rename. Returns 0 or an
// errno value (EEXIST when the name is taken); `moved` tells which way it went.
int publishWithoutReplacing(const fs::path& temporaryPath, const fs::path& target, bool& moved) {
    moved = false;
    if (::link(temporaryPath.c_str(), target.c_str()) == 0) {
        return 0;
    }
    if (errno == EEXIST) {
        return EEXIST;
    }
    if (::renameat2(AT_FDCWD, temporaryPath.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0) {
        moved = true;
        return 0;
    }
    return errno;
}

void syncFolder(const fs::path& folder) {
    UniqueFd fd(retryOnEintr([&] { return ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); }));
    if (fd) {
        (void)::fsync(fd.get());
    }
}

// Lets `fill` write a complete, durable temporary file in `folder`. Empty path on failure
// (nothing left behind).
fs::path prepare(const fs::path& folder, const std::function<bool(int fd)>& fill) {
    fs::path temporaryPath;
    UniqueFd fd = createTemporary(folder, temporaryPath);
    if (!fd) {
        return {};
    }
    // The report is the only proof of the copies: make sure its bytes are on the disk before
    // its name appears.
    bool ok = false;
    try {
        ok = fill(fd.get()) && ::fsync(fd.get()) == 0;
    } catch (...) {
        ok = false;
    }
    int closed = ::close(fd.release());
    if (!ok || closed != 0) {
        ::unlink(temporaryPath.c_str());
        return {};
    }
    return temporaryPath;
}

fs::path prepare(const fs::path& folder, std::string_view text) {
    return prepare(folder, [text](int fd) { return writeAll(fd, text); });
}

// Each root appears at most once, even when the caller lists it twice.
void markFailed(ReportWriteResult& result, const fs::path& root) {
    if (std::find(result.failedRoots.begin(), result.failedRoots.end(), root) == result.failedRoots.end()) {
        result.failedRoots.push_back(root);
    }
}

struct Pending {
    std::string_view extension;
    fs::path temporaryPath; // empty when preparing failed or once moved into place
    fs::path finalPath;     // empty until published
};

// Takes back a name this call published under a variant that turned out to be taken.
void withdraw(const fs::path& folder, Pending& file, bool moved) {
    if (!moved) {
        ::unlink(file.finalPath.c_str()); // the temporary name still holds the file
    } else {
        for (int attempt = 0; attempt < 100; ++attempt) {
            fs::path back = folder / randomTemporaryName();
            if (::renameat2(AT_FDCWD, file.finalPath.c_str(), AT_FDCWD, back.c_str(), RENAME_NOREPLACE) ==
                0) {
                file.temporaryPath = back;
                break;
            }
            if (errno != EEXIST) {
                break; // left in place under its name; it is complete, only mispaired
            }
        }
    }
    file.finalPath.clear();
}

// Publishes the prepared files of one root under the first stem variant ("", " (2)",
// " (3)" …) at which none of this job's names exists yet, so that the files of one job
// share a name and an earlier job's files are never replaced.
void publish(const fs::path& folder, const std::string& stem, std::vector<Pending>& files) {
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
            const NameState state = nameState(folder, variant + std::string(extension));
            if (state == NameState::unusable) {
                return; // the folder cannot be searched: the files stay unpublished
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
            const fs::path target = folder / (variant + std::string(file.extension));
            bool moved = false;
            int error = publishWithoutReplacing(file.temporaryPath, target, moved);
            if (error == EEXIST) {
                collided = true; // another writer took this variant since the check
                break;
            }
            if (error == 0) {
                file.finalPath = target;
                publishedNow.emplace_back(&file, moved);
                if (moved) {
                    file.temporaryPath.clear();
                }
            }
        }
        if (!collided) {
            for (auto& file : files) {
                if (!file.finalPath.empty() && !file.temporaryPath.empty()) {
                    ::unlink(file.temporaryPath.c_str());
                    file.temporaryPath.clear();
                }
            }
            syncFolder(folder);
            return;
        }
        for (auto& [file, moved] : publishedNow) {
            withdraw(folder, *file, moved);
        }
    }
}

void writeRoot(const JobSummary& summary, const std::vector<fs::path>& sources, const fs::path& root,
               const std::string& stem, ReportFormats formats,
               const std::optional<TextReportStrings>& strings, const PdfRenderer& pdf,
               ReportWriteResult& result) {
    const JobSummary narrowed = summary.summary(root);
    const fs::path folder = root / std::string(logFolderName);
    std::error_code ignored;
    fs::create_directories(folder, ignored); // a failure shows in the writes below
    removeStaleTemporaries(folder);

    std::vector<Pending> files;
    bool failed = false;
    if (formats.contains(ReportFormats::mhl())) {
        files.push_back({mhlExtension, prepare(folder, MHLReport::render(narrowed, toolName)), {}});
    }
    if (formats.contains(ReportFormats::text())) {
        if (strings) {
            files.push_back(
                {textExtension, prepare(folder, TextReport::render(narrowed, sources, root, *strings)), {}});
        } else {
            failed = true; // nothing to word the report with
        }
    }
    if (formats.contains(ReportFormats::pdf())) {
        if (pdf) {
            files.push_back(
                {pdfExtension, prepare(folder, [&](int fd) { return pdf(narrowed, root, fd); }), {}});
        } else {
            failed = true; // nothing to draw it with
        }
    }
    try {
        publish(folder, stem, files);
    } catch (...) {
        failed = true;
    }
    for (auto& file : files) {
        if (!file.temporaryPath.empty()) {
            ::unlink(file.temporaryPath.c_str());
        }
        if (file.finalPath.empty()) {
            failed = true;
        } else {
            result.written.push_back(file.finalPath);
        }
    }
    if (failed) {
        markFailed(result, root);
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
    name = truncatedUtf8(name, nameMax - longestEnding - tail.size());
    return name + tail;
}

ReportWriteResult write(const JobSummary& summary, const std::vector<fs::path>& sources,
                        const std::vector<fs::path>& destinationRoots, std::string_view label,
                        ReportFormats formats, Date date, const std::optional<TextReportStrings>& strings,
                        const PdfRenderer& pdf) {
    ReportWriteResult result;
    try {
        if (formats.empty()) {
            return result;
        }
        const std::string stem = reportBaseName(label, date);
        for (const auto& root : destinationRoots) {
            try {
                std::error_code error;
                if (!fs::exists(root, error)) {
                    markFailed(result, root);
                    continue;
                }
                writeRoot(summary, sources, root, stem, formats, strings, pdf, result);
            } catch (...) {
                markFailed(result, root);
            }
        }
    } catch (...) {
        // Only an allocation failure gets here; what was written so far is still reported.
    }
    return result;
}

} // namespace stowline::ReportWriter
