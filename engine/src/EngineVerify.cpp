#include "EngineRun.h"

#include "ParallelHashes.h"
#include "stowline/CopyError.h"

#include <algorithm>

namespace stowline {

namespace fs = std::filesystem;

void CopyEngine::Run::verifyCopies(int index, const ScannedFile& file, const Copies& copies, FileWork& work) {
    std::vector<bool> proven;
    try {
        emit(EngineEvent::FileStarted{index, static_cast<int>(files_.size()), file.relativePath,
                                      FilePhase::verifying});
        const auto first = readBack(copies.targets);
        // The outcomes in order, with the re-copies on this thread.
        const std::uint64_t expected = *work.sourceHash;
        for (std::size_t i = 0; i < copies.targets.size(); ++i) {
            const bool matched = first[i].hash && *first[i].hash == expected;
            proven.push_back(matched || recopyAndVerify(file.url(), copies.targets[i], expected));
        }
        settleCopies(copies.targets, proven, copies.rootOfTarget, work);
    } catch (...) {
        // A copy never proven never takes its final name (a cancel, or a failure of the run).
        for (const auto& copy : copies.targets) {
            FileCopier::discard(copy, &fileOps());
        }
        throw;
    }
    const bool allVerified =
        std::all_of(copies.targets.begin(), copies.targets.end(), [&](const fs::path& copy) {
            return work.outcomes[copies.rootOfTarget.at(copy)].outcome == FileOutcome::verified;
        });
    work.outcome = allVerified && !work.reason ? FileOutcome::verified : FileOutcome::failed;
    if (work.outcome == FileOutcome::verified) {
        work.reason.reset();
    }
    checkAgainstHistory(file, work);
    finishFile(index, file, work);
}

std::vector<HashAttempt> CopyEngine::Run::readBack(const std::vector<fs::path>& copies) {
    std::vector<fs::path> temporaries;
    temporaries.reserve(copies.size());
    for (const auto& copy : copies) {
        temporaries.push_back(FileCopier::temporaryPath(copy));
    }
    // Reading back is not writing: two readers on one disk keep it busy rather than seeking
    // against each other, so only a job told to be sequential reads one copy after another.
    if (options_.sequential.value_or(false) || temporaries.size() < 2) {
        std::vector<HashAttempt> attempts;
        for (const auto& temporary : temporaries) {
            if (!attempts.empty()) {
                checkpoint(); // a cancel ends the reading, not only the copy it came in
            }
            attempts.push_back({hashOrNone(temporary)});
        }
        return attempts;
    }
    auto attempts = hashes_.hashAll(temporaries, [this](const fs::path& path) { return readBackHash(path); });
    if (std::any_of(attempts.begin(), attempts.end(), [](const HashAttempt& a) { return a.cancelled; })) {
        throw Cancelled{};
    }
    return attempts;
}

} // namespace stowline
