// A copy is verified only by what its drive gives back: a read-back that fails, or that ends
// before the file does, never lets a copy pass; a read that merely returns less than it could
// is read on to the end.
#include "EngineTestSupport.h"
#include "FaultyFileOps.h"

#include "stowline/FileCopier.h"

#include <gmock/gmock.h>

using namespace stowline;
using namespace enginetest;

using CopyEngineReadBack = EngineFixture;

TEST_F(CopyEngineReadBack, AFaultyReadBackNeverCountsAsVerified) {
    using Fault = test::FaultyFileOps::ReadBackFault;
    struct Case {
        const char* name;
        Fault fault;
        std::size_t size;
        FileOutcome atA;
    };
    const Case cases[] = {
        {"error, small file", Fault::error, 20'000, FileOutcome::failed},
        {"error, large file", Fault::error, 5 * 1024 * 1024 + 7, FileOutcome::failed},
        {"ends early", Fault::endsEarly, 20'000, FileOutcome::failed},
        {"short, unaligned read", Fault::shortOnce, 5 * 1024 * 1024 + 7, FileOutcome::verified},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(rootA / "card");
        fs::remove_all(rootB / "card");
        fs::remove_all(card);
        const auto bytes = addToCard("clip.mov", c.size, 'r');
        addToCard("next.xml", 3'000, 's'); // copied after the clip (scan order)
        auto ops = std::make_shared<test::FaultyFileOps>();
        ops->failReadBack(FileCopier::temporaryPath(rootA / "card/clip.mov"), c.fault);
        CopyEngine::Options options;
        options.fileOps = ops;
        options.sequential = false;
        CopyEngine engine(options);
        const auto events = runJob(engine, {rootA, rootB});
        const auto& summary = summaryOf(events);

        EXPECT_EQ(summary.reportsAt(rootA).at(0).outcome, c.atA);
        EXPECT_EQ(summary.reportsAt(rootB).at(0).outcome, FileOutcome::verified);
        EXPECT_EQ(summary.reports.at(0).outcome, c.atA);
        // Never a final name for a copy that did not read back, nor a leftover temporary.
        EXPECT_EQ(fs::exists(rootA / "card/clip.mov"), c.atA == FileOutcome::verified);
        EXPECT_FALSE(fs::exists(FileCopier::temporaryPath(rootA / "card/clip.mov")));
        EXPECT_EQ(readFile(rootB / "card/clip.mov"), bytes);
        EXPECT_EQ(outcomesOf(summary.reportsAt(rootA)).at(1), FileOutcome::verified);
    }
}
