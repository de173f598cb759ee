#pragma once
// Fixtures shared by the engine run-loop tests: a temporary card with destinations, event
// collection, and small helpers to read what happened.
#include "stowline/CopyEngine.h"

#include <gtest/gtest.h>
#include <xxhash.h>

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <mutex>
#include <random>
#include <sstream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include <sched.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

namespace enginetest {

namespace fs = std::filesystem;
using stowline::EngineEvent;

inline std::string content(std::size_t size, char seed) {
    std::string text(size, '\0');
    for (std::size_t i = 0; i < size; ++i) {
        text[i] = static_cast<char>(seed + static_cast<char>(i * 7 % 251));
    }
    return text;
}

/// Bytes without a pattern, so that a chunk copied to the wrong place shows.
inline std::string randomBytes(std::size_t size, unsigned seed) {
    std::mt19937 engine(seed);
    std::string bytes(size, '\0');
    for (char& byte : bytes) {
        byte = static_cast<char>(engine());
    }
    return bytes;
}

/// Writes `bytes` to `path`, making its folders; returns the path.
inline fs::path writeFile(const fs::path& path, std::string_view bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return path;
}

inline std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream buffer;
    buffer << in.rdbuf();
    return buffer.str();
}

inline void flipByte(const fs::path& file, std::streamoff at) {
    std::fstream stream(file, std::ios::binary | std::ios::in | std::ios::out);
    stream.seekg(at);
    const char byte = static_cast<char>(stream.get());
    stream.seekp(at);
    stream.put(static_cast<char>(byte ^ 0x01));
}

/// Temporary copies ("<name>.stowline-partial") left anywhere under `folder`.
inline std::vector<fs::path> partialsUnder(const fs::path& folder) {
    std::vector<fs::path> found;
    if (!fs::exists(folder)) {
        return found;
    }
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        if (entry.path().native().ends_with(".stowline-partial")) {
            found.push_back(entry.path());
        }
    }
    return found;
}

/// The names in `folder`, sorted; none when it cannot be read.
inline std::vector<std::string> namesIn(const fs::path& folder) {
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

inline std::size_t openDescriptorCount() {
    return static_cast<std::size_t>(
        std::distance(fs::directory_iterator("/proc/self/fd"), fs::directory_iterator()));
}

/// A fresh folder in the temporary folder, removed with everything in it, even where a test took its
/// owner's permissions away.
class TempFolder {
public:
    TempFolder() {
        std::string pattern = (fs::temp_directory_path() / "stowline-test-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) {
            throw std::runtime_error("mkdtemp failed");
        }
        path_ = pattern;
    }
    ~TempFolder() {
        std::error_code ignored;
        fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ignored);
        for (auto it = fs::recursive_directory_iterator(path_, ignored); it != fs::end(it);
             it.increment(ignored)) {
            fs::permissions(it->path(), fs::perms::owner_all,
                            fs::perm_options::add | fs::perm_options::nofollow, ignored);
        }
        fs::remove_all(path_, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const fs::path& path() const { return path_; }

private:
    fs::path path_;
};

/// A test with a fresh temporary folder `base`.
class TempFolderTest : public ::testing::Test {
protected:
    TempFolder folder_;
    const fs::path base = folder_.path();
};

inline std::uint64_t hashOf(std::string_view bytes) {
    return XXH64(bytes.data(), bytes.size(), 0);
}

inline std::string hexOf(std::uint64_t hash) {
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
    return text;
}

/// The final name of a copy, which the engine reads back while it is still under its
/// temporary name ("<name>.stowline-partial"); other paths unchanged.
inline fs::path finalNameOf(const fs::path& path) {
    const std::string text = path.string();
    const std::string suffix = ".stowline-partial";
    return text.ends_with(suffix) ? fs::path(text.substr(0, text.size() - suffix.size())) : path;
}

/// A temporary folder holding a card "card" and destination roots "A" and "B".
class EngineFixture : public TempFolderTest {
protected:
    void SetUp() override {
        for (const auto* folder : {&card, &rootA, &rootB}) {
            fs::create_directories(*folder);
        }
    }

    /// Writes card/<relative> and returns its bytes.
    std::string addToCard(const std::string& relative, std::size_t size, char seed) {
        auto bytes = content(size, seed);
        writeFile(card / relative, bytes);
        return bytes;
    }

    /// Runs a job to the end. `onEvent` sees every event as it arrives (on this thread) and
    /// may steer the control, as the application would.
    std::vector<EngineEvent> runJob(stowline::CopyEngine& engine, std::vector<fs::path> roots,
                                    const std::function<void(const EngineEvent&)>& onEvent = {}) {
        auto stream = engine.run(stowline::CopyJob{{card}, std::move(roots)});
        std::vector<EngineEvent> events;
        while (auto event = stream->next()) {
            if (onEvent) {
                onEvent(*event);
            }
            events.push_back(std::move(*event));
        }
        return events;
    }

    const fs::path card = base / "card", rootA = base / "A", rootB = base / "B";
};

inline const stowline::JobSummary& summaryOf(const std::vector<EngineEvent>& events) {
    if (events.empty() || !events.back().is<EngineEvent::Finished>()) {
        throw std::logic_error("the stream did not end with finished");
    }
    return events.back().get<EngineEvent::Finished>()->summary;
}

template <class T> std::vector<T> eventsOf(const std::vector<EngineEvent>& events) {
    std::vector<T> found;
    for (const auto& event : events) {
        if (const auto* value = event.get<T>()) {
            found.push_back(*value);
        }
    }
    return found;
}

/// The system message of a copyFailed reason; empty for anything else.
inline std::string copyFailure(const std::optional<stowline::FileErrorReason>& reason) {
    const auto* failed = reason ? reason->get<stowline::FileErrorReason::CopyFailed>() : nullptr;
    return failed ? failed->systemMessage : std::string();
}

/// Each report's outcome, in order, to compare a whole run at once.
inline std::vector<stowline::FileOutcome> outcomesOf(const std::vector<stowline::FileReport>& reports) {
    std::vector<stowline::FileOutcome> outcomes;
    for (const auto& report : reports) {
        outcomes.push_back(report.outcome);
    }
    return outcomes;
}

/// A short label per event ("started:copying:2", "finished:1", "failed:B:reason", ...), to
/// compare sequences at a glance.
inline std::vector<std::string> trace(const std::vector<EngineEvent>& events) {
    std::vector<std::string> labels;
    for (const auto& event : events) {
        if (const auto* e = event.get<EngineEvent::FileStarted>()) {
            labels.push_back("started:" + std::string(stowline::toText(e->phase)) + ":" +
                             std::to_string(e->index));
        } else if (const auto* e = event.get<EngineEvent::FileFinished>()) {
            labels.push_back("fileFinished:" + std::to_string(e->index));
        } else if (const auto* e = event.get<EngineEvent::DestinationFailed>()) {
            labels.push_back("failed:" + e->root.filename().string() + ":" + e->reason);
        } else if (const auto* e = event.get<EngineEvent::DiskFull>()) {
            labels.push_back("diskFull:" + e->root.filename().string());
        } else if (event.is<EngineEvent::Scanned>()) {
            labels.push_back("scanned");
        } else if (event.is<EngineEvent::Finished>()) {
            labels.push_back("finished");
        }
        // progress events are left out: their number depends on timing
    }
    return labels;
}

/// A one-shot gate between the engine's thread and the test's.
class Latch {
public:
    void open() {
        std::lock_guard guard(mutex_);
        open_ = true;
        changed_.notify_all();
    }
    void wait() {
        std::unique_lock guard(mutex_);
        changed_.wait(guard, [this] { return open_; });
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    bool open_ = false;
};

/// What became of a test body run in a mount namespace of its own.
enum class Isolated { passed, failed, refused };

/// The exit status of a child whose system refused it a namespace or a mount.
inline constexpr int refusedExit = 77;

/// Runs `body` in a child process with a private mount namespace, where it may mount and
/// unmount real file systems without touching the machine's; its failures are reported by the
/// child and end in `failed`. Whatever it mounted goes with the child. Refused where the
/// system does not allow the namespace (or under ThreadSanitizer, which cannot start threads
/// in a child forked from a threaded process).
inline Isolated inOwnMountNamespace(const std::function<void()>& body) {
#if defined(__SANITIZE_THREAD__)
    (void)body;
    return Isolated::refused;
#else
    std::fflush(nullptr);
    const pid_t child = ::fork();
    if (child < 0) {
        return Isolated::refused;
    }
    if (child == 0) {
        if (::unshare(CLONE_NEWNS) != 0 ||
            ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
            std::_Exit(refusedExit);
        }
        body();
        std::fflush(nullptr);
        std::_Exit(::testing::Test::HasFailure() ? 1 : 0);
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (WIFEXITED(status) && WEXITSTATUS(status) == refusedExit) {
        return Isolated::refused;
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? Isolated::passed : Isolated::failed;
#endif
}

/// In a child of inOwnMountNamespace: mounts a tmpfs of `megabytes` at `folder`, or ends the
/// child as refused.
inline void mountTmpfsOrRefuse(const fs::path& folder, int megabytes) {
    const std::string options = "size=" + std::to_string(megabytes) + "m";
    if (::mount("tmpfs", folder.c_str(), "tmpfs", 0, options.c_str()) != 0) {
        std::_Exit(refusedExit);
    }
}

/// Plenty of room on every volume.
inline std::optional<stowline::VolumeCapacity> roomy(const fs::path&) {
    return stowline::VolumeCapacity{std::nullopt, std::int64_t{1} << 40, false};
}

/// Runs a job to its end on an engine made with `options`.
inline std::vector<EngineEvent> runEngine(std::vector<fs::path> sources, std::vector<fs::path> roots,
                                          stowline::CopyEngine::Options options = {}) {
    stowline::CopyEngine engine(std::move(options));
    auto stream = engine.run(stowline::CopyJob{std::move(sources), std::move(roots)});
    std::vector<EngineEvent> events;
    while (auto event = stream->next()) {
        events.push_back(std::move(*event));
    }
    return events;
}

/// `root`'s own reports of a job; none for a root without any.
inline stowline::ReportList reportsAt(const stowline::JobSummary& summary, const fs::path& root) {
    return summary.reportsAt(root);
}

/// Engine options with these file operations and, when given, this room probe.
inline stowline::CopyEngine::Options
optionsWith(std::shared_ptr<stowline::FileOps> ops,
            decltype(stowline::CopyEngine::Options::capacity) capacity = {}) {
    stowline::CopyEngine::Options options;
    options.fileOps = std::move(ops);
    options.capacity = std::move(capacity);
    return options;
}

} // namespace enginetest
