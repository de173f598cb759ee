#include "EngineTestSupport.h"

#include "stowline/CopyError.h"

#include <atomic>
#include <thread>

using namespace stowline;
using namespace enginetest;

namespace {

class CopyEngineCancel : public EngineFixture {
protected:
    void expectCancelledWithoutReports(const std::vector<EngineEvent>& events) {
        const auto& summary = summaryOf(events);
        EXPECT_TRUE(summary.cancelled);
        EXPECT_TRUE(summary.reports.empty());
        EXPECT_TRUE(reportsAt(summary, rootA).empty() && reportsAt(summary, rootB).empty());
        EXPECT_TRUE(eventsOf<EngineEvent::FileFinished>(events).empty());
    }
};

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
        EXPECT_FALSE(fs::exists(rootA / "card"));
    }
}

TEST_F(CopyEngineCancel, ACancelWhileACopyIsReadStartsNoCopyNorReCopy) {
    addToCard("first.mov", 3'000, 'a');
    addToCard("second.mov", 3'000, 'b');
    const auto old = content(3'000, 'q');
    // A reading sees the cancel at its own checkpoint, or comes back with a mismatch (an empty
    // file has no chunk, so no checkpoint) and the engine must still not start the re-copy.
    // Sequentially only the first copy is read back; in parallel both at once, and no more.
    // Hashing a copy already there, the cancel leaves it as it was and copies nothing.
    // Small files are read back as a group, once both are copied.
    const std::vector<std::string> verifying{"scanned", "started:copying:0", "started:copying:1",
                                             "started:verifying:0", "finished"};
    struct Case {
        bool existing, throwsCancelled, sequential;
        int calls;
        std::vector<std::string> trace;
    };
    for (const auto& c : {Case{false, true, true, 1, verifying}, Case{false, false, true, 1, verifying},
                          Case{false, true, false, 2, verifying}, Case{false, false, false, 2, verifying},
                          Case{true, true, true, 1, {"scanned", "started:verifying:0", "finished"}}}) {
        SCOPED_TRACE(testing::Message() << c.existing << c.throwsCancelled << c.sequential);
        fs::remove_all(rootA / "card");
        fs::remove_all(rootB / "card");
        if (c.existing) {
            writeFile(rootA / "card/first.mov", old);
        }
        Latch entered, released;
        std::atomic<int> calls{0};
        CopyEngine engine([&] {
            CopyEngine::Options options;
            options.sequential = c.sequential;
            options.verify = [&](const fs::path& path) -> std::uint64_t {
                if (++calls == 1) {
                    entered.open();
                }
                released.wait(); // no reading gets ahead of the cancel

                if (c.throwsCancelled) {
                    engine.control().checkpoint(); // the physical re-read checks after every chunk
                }
                return c.existing ? hashOf(readFile(path)) : 0; // else never the source's hash
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
        EXPECT_EQ(calls.load(), c.calls);
        EXPECT_EQ(trace(events), c.trace);
        EXPECT_FALSE(fs::exists(rootA / "card/second.mov"));
        EXPECT_EQ(fs::exists(rootB / "card"), !c.existing);
        if (c.existing) {
            EXPECT_EQ(readFile(rootA / "card/first.mov"), old);
        }
    }
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
