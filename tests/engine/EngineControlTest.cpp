#include "stowline/EngineControl.h"
#include "stowline/CopyError.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

using namespace stowline;
using State = EngineControl::State;

TEST(EngineControl, FreshControlRunsAndAnyStateMayFollowAnyOther) {
    EngineControl control;
    EXPECT_EQ(control.current(), State::running);
    EXPECT_NO_THROW(control.checkpoint());

    control.set(State::cancelled);
    EXPECT_THROW(control.checkpoint(), CopyError);
    // A cancel taken back before the engine looks again is simply not seen.
    control.set(State::running);
    EXPECT_NO_THROW(control.checkpoint());
    control.set(State::paused);
    EXPECT_EQ(control.current(), State::paused);
}

TEST(EngineControl, PausedCheckpointWaitsForResumeOrCancel) {
    for (State answer : {State::running, State::cancelled}) {
        EngineControl control;
        control.set(State::paused);
        std::atomic<bool> entered{false};
        std::atomic<int> result{0}; // 1 returned, 2 threw cancelled
        std::thread engine([&] {
            entered = true;
            try {
                control.checkpoint();
                result = 1;
            } catch (const CopyError& error) {
                result = error.is<CopyError::Cancelled>() ? 2 : 3;
            }
        });
        while (!entered) {
            std::this_thread::yield();
        }
        // While paused, the checkpoint cannot have returned: nothing but set() releases it.
        EXPECT_EQ(result.load(), 0);
        control.set(answer);
        engine.join();
        EXPECT_EQ(result.load(), answer == State::running ? 1 : 2);
    }
}
