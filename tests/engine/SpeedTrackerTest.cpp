#include "stowline/SpeedTracker.h"

#include <gtest/gtest.h>

using namespace stowline;

TEST(SpeedTracker, NeedsTwoSamplesAndFloorsTheSpanAtATenthOfASecond) {
    SpeedTracker tracker(5.0);
    EXPECT_EQ(tracker.bytesPerSecond(0.0), 0.0);
    tracker.record(4'194'304, 100.0);
    EXPECT_EQ(tracker.bytesPerSecond(100.0), 0.0);
    tracker.record(4'194'304, 100.0);
    EXPECT_DOUBLE_EQ(tracker.bytesPerSecond(100.0), 83'886'080.0);
}

TEST(SpeedTracker, CountsTheFirstSampleAndZeroByteSamples) {
    SpeedTracker tracker(5.0);
    tracker.record(100, 0.0);
    tracker.record(100, 1.0);
    tracker.record(100, 2.0);
    EXPECT_DOUBLE_EQ(tracker.bytesPerSecond(2.0), 150.0);

    SpeedTracker skipped(5.0);
    skipped.record(0, 0.0);
    skipped.record(0, 1.0);
    EXPECT_EQ(skipped.bytesPerSecond(1.0), 0.0);
    skipped.record(50, 1.0);
    EXPECT_DOUBLE_EQ(skipped.bytesPerSecond(1.0), 50.0); // three samples over 1 s
}

TEST(SpeedTracker, WindowEdgeIsInclusive) {
    SpeedTracker tracker(5.0);
    tracker.record(10, 4.0);
    tracker.record(10, 5.0);
    tracker.record(10, 6.0);
    // Read at 10: the sample at 5 is exactly a window old and counts; the one at 4 does not.
    EXPECT_DOUBLE_EQ(tracker.bytesPerSecond(10.0), 20.0 / 5.0);
    // Recording at 10 forgets 4 but keeps 5, so a later reading still sees it.
    tracker.record(0, 10.0);
    EXPECT_DOUBLE_EQ(tracker.bytesPerSecond(10.0), 20.0 / 5.0);
    EXPECT_DOUBLE_EQ(tracker.bytesPerSecond(10.5), 10.0 / 4.5);
}
