#include "ControlGate.h"

namespace cli {

using stowline::EngineControl;

void ControlGate::cancel() {
    std::lock_guard guard(mutex_);
    cancelled_ = true;
    control_.set(EngineControl::State::cancelled);
}

void ControlGate::resume() {
    std::lock_guard guard(mutex_);
    if (!cancelled_) {
        control_.set(EngineControl::State::running);
    }
}

void ControlGate::drop(const std::filesystem::path& root) {
    std::lock_guard guard(mutex_);
    if (!cancelled_) {
        control_.dropRoot(root);
        control_.set(EngineControl::State::running);
    }
}

bool ControlGate::cancelled() {
    std::lock_guard guard(mutex_);
    return cancelled_;
}

} // namespace cli
