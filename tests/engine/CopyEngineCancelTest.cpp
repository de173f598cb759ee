#include "EngineTestSupport.h"

#include "stowline/CopyError.h"

#include <atomic>
#include <thread>

using namespace stowline;
using namespace enginetest;

using CopyEngineCancel = EngineFixture;

namespace {

void expectCancelledWithoutReports(const std::vector<EngineEvent>& events) {
    const auto& summary = summaryOf(events);
    EXPECT_TRUE(summary.cancelled);
    EXPECT_TRUE(summary.reports.empty());
    EXPECT_TRUE(summary.rootReports.empty());
    EXPECT_TRUE(eventsOf<EngineEvent::FileFinished>(events).empty());
}

} // namespace

TEST_F(CopyEngineCancel, ACancelAtADiskFullEndsTheRunWhetherItComesBeforeOrDuringThePause) {
    addToCard("clip.mov", 1'000, 'a');
    // The user cancels while the engine waits at the disk full, or between the room check and
    // the engine's own pause: that cancel must not be lost either.
    for (bool beforeThePause : {false, true}) {
        SCOPED_TRACE(beforeThePause ? "before the pause" : "while paused");
        std::unique_ptr<CopyEngine> engine;
        CopyEngine::Options options;
        options.capacity = [&](const fs::path&) {
            if (beforeThePause) {
                engine->control().set(EngineControl::State::cancelled);
            }
            return VolumeCapacity{std::nullopt, 10, false};
        };
        engine = std::make_unique<CopyEngine>(options);
        const auto events = runJob(*engine, {rootA}, [&](const EngineEvent& event) {
            if (event.is<EngineEvent::DiskFull>()) {
                EXPECT_FALSE(beforeThePause);
                EXPECT_EQ(engine->control().current(), EngineControl::State::paused);
                engine->control().set(EngineControl::State::cancelled);
            }
        });
        expectCancelledWithoutReports(events);
        EXPECT_EQ(summaryOf(events).totalBytes, 1'000); // every scanned file still counts
        EXPECT_EQ(engine->control().current(), EngineControl::State::cancelled);
        EXPECT_FALSE(fs::exists(rootA / "card"));
    }
}

TEST_F(CopyEngineCancel, CancelDuringVerificationStartsNoReCopy) {
    addToCard("first.mov", 3'000, 'a');
    addToCard("second.mov", 3'000, 'b');
    // Two ways a verification sees the cancel: its own checkpoint throws, or it comes back
    // with a mismatch (an empty file has no chunk, so no checkpoint) and the engine must
    // still not start the re-copy. Sequentially only the first copy is read back; in parallel
    // both are read at once, and nothing more.
    for (const auto& [throwsCancelled, sequential] :
         {std::pair{true, true}, std::pair{false, true}, std::pair{true, false}, std::pair{false, false}}) {
        SCOPED_TRACE(sequential ? "sequential" : "parallel");
        Latch entered, released;
        std::atomic<int> calls{0};
        CopyEngine engine([&] {
            CopyEngine::Options options;
            options.sequential = sequential;
            options.verify = [&](const fs::path&) -> std::uint64_t {
                if (++calls == 1) {
                    entered.open();
                    released.wait();
                }
                if (throwsCancelled) {
                    engine.control().checkpoint();
                }
                return 0; // never the source's hash
            };
            return options;
        }());
        std::thread canceller([&] {
            entered.wait();
            engine.control().set(EngineControl::State::cancelled);
            released.open();
        });
        const auto events = runJob(engine, {rootA, rootB});
        canceller.join();

        expectCancelledWithoutReports(events);
        EXPECT_EQ(calls.load(), sequential ? 1 : 2);
        EXPECT_EQ(trace(events), (std::vector<std::string>{"scanned", "started:copying:0",
                                                           "started:verifying:0", "finished"}));
        EXPECT_FALSE(fs::exists(rootA / "card/second.mov"));
        fs::remove_all(rootA / "card");
        fs::remove_all(rootB / "card");
    }
}

TEST_F(CopyEngineCancel, CancelWhileHashingAnExistingFileCopiesNothing) {
    addToCard("clip.mov", 8'000, 'a');
    const auto old = content(8'000, 'q');
    writeFile(rootA / "card/clip.mov", old);
    Latch entered, released;
    CopyEngine engine([&] {
        CopyEngine::Options options;
        options.verify = [&](const fs::path& path) -> std::uint64_t {
            entered.open();
            released.wait();
            engine.control().checkpoint(); // the physical re-read checks after every chunk
            return hashOf(readFile(path));
        };
        return options;
    }());
    std::thread canceller([&] {
        entered.wait();
        engine.control().set(EngineControl::State::cancelled);
        released.open();
    });
    const auto events = runJob(engine, {rootA, rootB});
    canceller.join();

    expectCancelledWithoutReports(events);
    EXPECT_EQ(trace(events), (std::vector<std::string>{"scanned", "started:verifying:0", "finished"}));
    EXPECT_EQ(readFile(rootA / "card/clip.mov"), old);
    EXPECT_FALSE(fs::exists(rootB / "card"));
}

TEST_F(CopyEngineCancel, DestroyingAnEngineMidRunCancelsAndJoins) {
    addToCard("1.bin", 100, 'a');
    // Held at the first checkpoint by a pause, and held in a disk-full wait nobody answers.
    for (bool atDiskFull : {false, true}) {
        std::shared_ptr<EventStream> stream;
        {
            CopyEngine::Options options;
            if (atDiskFull) {
                options.capacity = [](const fs::path&) { return VolumeCapacity{std::nullopt, 1, false}; };
            }
            CopyEngine engine(options);
            if (!atDiskFull) {
                engine.control().set(EngineControl::State::paused);
            }
            stream = engine.run(CopyJob{{card}, {rootA}});
            if (atDiskFull) {
                while (auto event = stream->next()) {
                    if (event->is<EngineEvent::DiskFull>()) {
                        break;
                    }
                }
            }
        } // the destructor cancels and joins
        std::vector<EngineEvent> rest;
        while (auto event = stream->next()) {
            rest.push_back(*event);
        }
        ASSERT_FALSE(rest.empty());
        expectCancelledWithoutReports(rest);
    }

    // A consumer that has let go of its stream: the run simply goes on to its end.
    CopyEngine engine;
    engine.run(CopyJob{{card}, {rootB}}).reset();
}
