#include "stowline/CopyEngine.h"

#include "EngineRun.h"

namespace stowline {

CopyEngine::CopyEngine() : CopyEngine(Options{}) {}

CopyEngine::CopyEngine(Options options)
    : options_(std::move(options)), control_(std::make_shared<EngineControl>()) {}

CopyEngine::~CopyEngine() {
    if (thread_.joinable()) {
        // The run sees this at its next checkpoint (at most a chunk or a 0.1 s poll away).
        control_->set(EngineControl::State::cancelled);
        thread_.join();
    }
}

std::shared_ptr<EventStream> CopyEngine::run(CopyJob job) {
    auto stream = std::make_shared<EventStream>();
    if (thread_.joinable()) {
        // One run per engine: a second call gets a stream that ends at once.
        stream->close();
        return stream;
    }
    thread_ = std::thread([run = std::make_shared<Run>(options_, control_, stream), job = std::move(job)] {
        run->execute(job);
    });
    return stream;
}

} // namespace stowline
