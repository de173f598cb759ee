#pragma once
#include "ControlGate.h"
#include "OffloadArguments.h"

#include "stowline/EngineEvent.h"

#include <filesystem>
#include <functional>
#include <set>
#include <string>

namespace cli {

/// Settles a full destination as the command line asked: drop it, wait for room, or ask on
/// the terminal. Runs on the thread that reads the engine's events, which waits meanwhile.
class FullDrivePrompt {
public:
    /// `complain` says a line on standard error, clearing the progress line first.
    FullDrivePrompt(OnFull onFull, ControlGate& gate, std::function<void(const std::string&)> complain)
        : onFull_(onFull), gate_(gate), complain_(std::move(complain)) {}

    void handle(const stowline::EngineEvent::DiskFull& full);

private:
    OnFull onFull_;
    ControlGate& gate_;
    std::function<void(const std::string&)> complain_;
    std::set<std::filesystem::path> waitingFor_;
};

} // namespace cli
