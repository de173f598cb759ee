#include "stowline/SpeedTracker.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

using namespace stowline;

TEST(SpeedTracker, BytesPerSecondOverTheWindow) {
    struct Case {
        const char* name;
        std::vector<std::pair<std::int64_t, double>> samples; // bytes, time
        double readAt;
        double expected;
    };
    const std::vector<Case> cases = {
        {"no sample", {}, 0.0, 0.0},
        {"one sample", {{4'194'304, 100.0}}, 100.0, 0.0},
        // Two samples at one instant: the span is floored at a tenth of a second.
        {"no span", {{4'194'304, 100.0}, {4'194'304, 100.0}}, 100.0, 83'886'080.0},
        {"first sample counts", {{100, 0.0}, {100, 1.0}, {100, 2.0}}, 2.0, 150.0},
        {"zero bytes", {{0, 0.0}, {0, 1.0}}, 1.0, 0.0},
        {"zero-byte samples count", {{0, 0.0}, {0, 1.0}, {50, 1.0}}, 1.0, 50.0},
        // Read at 10: the sample at 5 is exactly a window old and counts; the one at 4 does not.
        {"edge inclusive", {{10, 4.0}, {10, 5.0}, {10, 6.0}}, 10.0, 20.0 / 5.0},
        // Recording at 10 forgets 4 but keeps 5, so a later reading still sees it.
        {"recording keeps the edge", {{10, 4.0}, {10, 5.0}, {10, 6.0}, {0, 10.0}}, 10.0, 20.0 / 5.0},
        {"read later", {{10, 4.0}, {10, 5.0}, {10, 6.0}, {0, 10.0}}, 10.5, 10.0 / 4.5},
        // Many small samples: the window slides over thousands of them.
        {"slide", {}, 0, 0},
        // A sample from the past lands behind newer ones; a later recording drops it though it
        // is not at the front.
        {"stepped back", {{100, 10.0}, {100, 3.0}, {100, 11.0}, {100, 12.0}}, 12.0, 300.0 / 2.0},
        // Out of order but all in the window: the first recorded sets the span.
        {"out of order kept", {{100, 10.0}, {100, 9.0}, {100, 11.0}}, 11.0, 300.0 / 1.0},
        // Read long after the last sample: everything is stale.
        {"read late", {{100, 1.0}, {100, 2.0}}, 20.0, 0.0},
    };
    for (auto c : cases) {
        SCOPED_TRACE(c.name);
        if (std::string(c.name) == "slide") {
            // Times in 1/1024 s, exact in binary, so the window's edge falls on a sample.
            for (int i = 0; i < 20'000; ++i) {
                c.samples.emplace_back(1000 + i % 7, i / 1024.0);
            }
            c.readAt = 19'999 / 1024.0;
            std::int64_t sum = 0;
            for (int i = 19'999 - 5 * 1024; i < 20'000; ++i) {
                sum += 1000 + i % 7;
            }
            c.expected = static_cast<double>(sum) / 5.0;
        }
        SpeedTracker tracker(5.0);
        for (const auto& [bytes, at] : c.samples) {
            tracker.record(bytes, at);
        }
        EXPECT_NEAR(tracker.bytesPerSecond(c.readAt), c.expected, c.expected * 1e-9);
    }
}
