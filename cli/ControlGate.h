#pragma once
#include "stowline/EngineControl.h"

#include <filesystem>
#include <mutex>

namespace cli {

/// Every write the command makes to the engine control, in one place: once a signal has
/// asked for a cancel, no answer to a disk-full may turn it back into running.
class ControlGate {
public:
    explicit ControlGate(stowline::EngineControl& control) : control_(control) {}

    void cancel();
    void resume();
    void drop(const std::filesystem::path& root);
    [[nodiscard]] bool cancelled();

private:
    stowline::EngineControl& control_;
    std::mutex mutex_;
    bool cancelled_ = false;
};

} // namespace cli
