#pragma once
// Fixtures shared by the engine run-loop tests: a temporary card with destinations, event
// collection, and small helpers to read what happened.
#include "stowline/CopyEngine.h"

#include <gtest/gtest.h>
#include <xxhash.h>

#include <cerrno>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <mutex>
#include <sstream>
#include <stdexcept>
#include <string>
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

inline void writeFile(const fs::path& path, const std::string& bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

inline std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream buffer;
    buffer << in.rdbuf();
    return buffer.str();
}

inline std::uint64_t hashOf(const std::string& bytes) {
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
class EngineFixture : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/stowline-engine-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        base = pattern;
        card = base / "card";
        rootA = base / "A";
        rootB = base / "B";
        fs::create_directories(card);
        fs::create_directories(rootA);
        fs::create_directories(rootB);
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(base, ignored);
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

    fs::path base, card, rootA, rootB;
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

} // namespace enginetest
