#pragma once
#include "ControlGate.h"
#include "FullDrivePrompt.h"
#include "HashLogSetup.h"
#include "OffloadArguments.h"
#include "ProgressLine.h"

#include "stowline/CopyEngine.h"
#include "stowline/EventStream.h"
#include "stowline/FileReport.h"

#include <filesystem>
#include <optional>
#include <set>
#include <string>

namespace cli {

/// One offload as the terminal sees it: reads the engine's events, says what happens, writes
/// the Hash Logs at the end and settles the exit status.
class OffloadRun {
public:
    OffloadRun(const OffloadArguments& args, stowline::CopyEngine& engine, HashLogSetup hashLog);

    ControlGate& gate() { return gate_; }

    /// Reads every event of the run; returns the exit status.
    int consume(stowline::EventStream& stream, const stowline::CopyJob& job);

private:
    void complain(const std::string& message);
    /// Says on standard error what the ASC MHL histories left out or could not do; false when
    /// a copied folder got no new generation.
    bool reportHistories(const stowline::JobSummary& summary);
    void fileFinished(const stowline::FileReport& report);
    /// The engine only says that the sources could not be read; scanning again names why.
    std::string scanFailure(const stowline::CopyJob& job);
    /// Every file verified or skipped at every destination, and no destination failed.
    [[nodiscard]] bool clean(const stowline::JobSummary& summary) const;

    HashLogSetup hashLog_;
    ControlGate gate_;
    bool interactive_;
    FullDrivePrompt fullDrive_;
    ProgressLine progress_;
    std::optional<int> fileCount_;
    std::set<std::filesystem::path> failedRoots_;
};

} // namespace cli
