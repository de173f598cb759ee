#include "stowline/AscMhlRecorder.h"
#include "AscMhlTestSupport.h"
#include "stowline/FileScanner.h"

#include <gtest/gtest.h>

using namespace stowline;
using namespace ascmhltest;

namespace {

class AscMhlRecorderTest : public ExampleTreeTest {
protected:
    /// Copies what a job copies (everything but the history folders) to `root` and reports
    /// each file proven there, except those named in `failing`.
    void copyAndProve(AscMhlRecorder& recorder, const std::vector<ScannedFile>& files, const fs::path& root,
                      const std::set<std::string>& failing = {}) {
        for (const auto& file : files) {
            if (recorder.belongsToHistory(file.relativePath) || failing.contains(file.relativePath)) {
                continue;
            }
            fs::create_directories((root / file.relativePath).parent_path());
            fs::copy_file(file.url(), root / file.relativePath);
            recorder.proven(root, file, xxh64Of(readFile(file.url())), dateOf("2024-05-01T11:00:00Z"),
                            dateOf("2024-05-03T08:00:00Z"));
        }
    }
};

} // namespace

TEST_F(AscMhlRecorderTest, ATravelDrivesHistoryIsCheckedAsReadAndContinuedAtEachDestination) {
    const fs::path travel = exampleTree("travel/A001R1AB");
    (void)AscMhlWriter::write(exampleRequest(travel, dateOf("2024-05-01T12:00:00Z")));
    writeFile(base / "single.txt", "alone");
    const auto files = FileScanner::scan({travel, base / "single.txt"});
    AscMhlRecorder recorder(files, {"A001R1AB", "A001R1AB/Clips", "A001R1AB/Empty"}, {HashFormat::xxh64},
                            AscMhlCreator::current());
    ASSERT_TRUE(recorder.sourceProblems().empty());

    std::vector<std::string> historyFiles;
    for (const auto& file : files) {
        if (recorder.belongsToHistory(file.relativePath)) {
            historyFiles.push_back(file.relativePath);
        }
    }
    EXPECT_EQ(historyFiles, (std::vector<std::string>{"A001R1AB/ascmhl/0001_A001R1AB_2024-05-01_120000Z.mhl",
                                                      "A001R1AB/ascmhl/ascmhl_chain.xml"}));
    const auto clip = std::find_if(files.begin(), files.end(), [](const ScannedFile& f) {
        return f.relativePath == "A001R1AB/Clips/A001C001.mov";
    });
    EXPECT_EQ(recorder.formatsFor(*clip), HashFormats{HashFormat::xxh64});
    EXPECT_EQ(recorder.checkSource(*clip, xxh64Of("clip1")), AscMhlMatch::matches);
    EXPECT_EQ(recorder.checkSource(*clip, xxh64Of("clip1 since changed")), AscMhlMatch::differs);
    EXPECT_EQ(recorder.checkSource(files.back(), xxh64Of("alone")), AscMhlMatch::unrecorded);

    const fs::path driveA = base / "A", driveB = base / "B";
    copyAndProve(recorder, files, driveA);
    copyAndProve(recorder, files, driveB, {"A001R1AB/Sidecar.txt"});
    const Date start = dateOf("2024-05-03T07:59:00Z");
    const auto outcomes = recorder.finish({driveA, driveB, base / "gone"}, start);
    ASSERT_EQ(outcomes.size(), 2u);
    for (const auto& outcome : outcomes) {
        SCOPED_TRACE(outcome.root.string());
        EXPECT_EQ(outcome.folder, outcome.root / "A001R1AB");
        EXPECT_EQ(outcome.adopted.outcome, AscMhlAdoptResult::Outcome::copied);
        ASSERT_TRUE(outcome.written.complete());
        ASSERT_EQ(outcome.written.written.size(), 1u);
        EXPECT_EQ(outcome.written.written[0].manifest.filename(), "0002_A001R1AB_2024-05-03_075900Z.mhl");
        expectValidHistory(outcome.folder);
        const AscMhlHistory history = AscMhlHistory::load(outcome.folder);
        EXPECT_TRUE(history.intact());
        EXPECT_EQ(history.chain().size(), 2u);
        EXPECT_EQ(history.record("Clips/A001C001.mov")->lastAction, AscMhlAction::verified);
        // The copy that failed at B is not recorded there as good.
        EXPECT_EQ(history.record("Sidecar.txt")->lastGeneration, outcome.root == driveA ? 2 : 1);
    }
    EXPECT_FALSE(fs::exists(driveA / "ascmhl")) << "a file picked alone has no folder to hold a history";
}
