#include "ParallelHashes.h"

#include "stowline/CopyError.h"

namespace stowline {
namespace {

HashAttempt attempt(const std::filesystem::path& file,
                    const std::function<std::uint64_t(const std::filesystem::path&)>& hash) noexcept {
    try {
        return {hash(file), false};
    } catch (const CopyError& error) {
        return {std::nullopt, error.is<CopyError::Cancelled>()};
    } catch (...) {
        return {std::nullopt, false};
    }
}

} // namespace

ParallelHashes::~ParallelHashes() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    started_.notify_all();
    for (auto& helper : helpers_) {
        helper.join();
    }
}

std::vector<HashAttempt>
ParallelHashes::hashAll(const std::vector<std::filesystem::path>& files,
                        const std::function<std::uint64_t(const std::filesystem::path&)>& hash) {
    std::vector<HashAttempt> attempts(files.size());
    if (files.empty()) {
        return attempts;
    }
    // Helpers are only ever added; one that could not start leaves the others as they were.
    while (helpers_.size() + 1 < files.size()) {
        helpers_.emplace_back([this, slot = helpers_.size()] { help(slot); });
    }
    if (files.size() > 1) {
        {
            std::lock_guard lock(mutex_);
            round_ = {&files, &hash, &attempts};
            pending_ = files.size() - 1;
            ++roundNumber_;
        }
        started_.notify_all();
    }
    attempts[0] = attempt(files[0], hash);
    std::unique_lock lock(mutex_);
    finished_.wait(lock, [this] { return pending_ == 0; });
    round_ = {};
    return attempts;
}

void ParallelHashes::help(std::size_t slot) {
    std::uint64_t seen = 0;
    for (;;) {
        Round round;
        {
            std::unique_lock lock(mutex_);
            // A round with no file for this helper is passed over.
            started_.wait(lock, [&] {
                return stopping_ ||
                       (roundNumber_ != seen && round_.files != nullptr && slot + 1 < round_.files->size());
            });
            if (stopping_) {
                return;
            }
            seen = roundNumber_;
            round = round_;
        }
        auto result = attempt((*round.files)[slot + 1], *round.hash);
        bool last = false;
        {
            std::lock_guard lock(mutex_);
            (*round.attempts)[slot + 1] = result;
            last = --pending_ == 0;
        }
        if (last) {
            finished_.notify_one();
        }
    }
}

} // namespace stowline
