#include "stowline/AscMhlHistory.h"
#include "AscMhlTestSupport.h"
#include "stowline/AscMhlHistories.h"
#include "stowline/AscMhlWriter.h"
#include "stowline/C4Id.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace stowline;
using namespace ascmhltest;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

namespace {

class AscMhlHistoryTest : public ExampleTreeTest {
protected:
    /// Writes a generation and expects it complete and valid.
    AscMhlWriteResult record(const AscMhlGenerationRequest& request) {
        const AscMhlWriteResult result = AscMhlWriter::write(request);
        EXPECT_TRUE(result.complete()) << (result.problems.empty() ? "" : result.problems.front().message);
        expectValidHistory(request.root);
        return result;
    }

    static std::string generation2Of(std::string text) {
        for (const auto& [from, to] :
             {std::pair<std::string, std::string>{"2024-05-01T12:00:00Z", "2024-05-02T09:30:15Z"},
              {"action=\"original\"", "action=\"verified\""}}) {
            for (std::size_t at = text.find(from); at != std::string::npos;
                 at = text.find(from, at + to.size())) {
                text.replace(at, from.size(), to);
            }
        }
        return text;
    }
};

} // namespace

TEST_F(AscMhlHistoryTest, TheExampleTreeGetsTheNotesGenerationsByteForByte) {
    const fs::path root = exampleTree();
    const std::string note = readFile(dataFolder / "0001_A001R1AB_2024-05-01_120000Z.mhl");
    // Written on the day of the shoot, and copied on to a second drive a day later: the same
    // manifest, verified.
    const auto first = record(exampleRequest(root, dateOf("2024-05-01T12:00:00Z")));
    const auto second = record(exampleRequest(root, dateOf("2024-05-02T09:30:15Z")));
    ASSERT_EQ(first.written.size() + second.written.size(), 2u);
    EXPECT_EQ(first.written[0].manifest, root / "ascmhl" / "0001_A001R1AB_2024-05-01_120000Z.mhl");
    EXPECT_EQ(readFile(first.written[0].manifest), note);
    EXPECT_EQ(second.written[0].manifest.filename(), "0002_A001R1AB_2024-05-02_093015Z.mhl");
    EXPECT_EQ(readFile(second.written[0].manifest), generation2Of(note));

    const auto chain = AscMhlChainFormat::parse(readFile(root / "ascmhl" / "ascmhl_chain.xml"));
    ASSERT_EQ(chain.size(), 2u);
    EXPECT_EQ(chain[0].c4, C4Id::of(note));
    EXPECT_EQ(chain[1].c4, C4Id::of(generation2Of(note)));

    const AscMhlHistory history = AscMhlHistory::load(root);
    EXPECT_TRUE(history.intact());
    EXPECT_EQ(history.nextGenerationNumber(), 3);
    EXPECT_EQ(history.recordedFiles(),
              (std::vector<std::string>{"Clips/A001C001.mov", "Clips/A001C002.mov", "Sidecar.txt"}));
    EXPECT_EQ(history.recordedFolders(), (std::vector<std::string>{"Clips", "Empty"}));
    const auto clip = history.record("Clips/A001C001.mov");
    ASSERT_TRUE(clip);
    EXPECT_EQ(clip->reference.find(HashFormat::xxh64)->text(), "e4f430ebf0ff8227");
    EXPECT_EQ(std::tuple(clip->size, clip->firstGeneration, clip->lastGeneration, clip->lastAction),
              std::tuple(5, 1, 2, AscMhlAction::verified));
}

TEST_F(AscMhlHistoryTest, LaterGenerationsVerifyAgainstTheFirstRecordAndNeverAgainstAFailedOne) {
    const fs::path root = exampleTree();
    const Date day1 = dateOf("2024-05-01T12:00:00Z");
    (void)record(exampleRequest(root, day1));

    // Day 2: the sidecar's bytes differ, a clip is new, and md5 comes along for the others.
    auto request = exampleRequest(root, day1 + std::chrono::hours(24));
    request.files[0].hashes.set(ContentHasher::digest(HashFormat::md5, std::as_bytes(std::span("clip1", 5))));
    request.files[2].hashes = xxh64Of("sidecar, edited");
    request.files.push_back({"Clips/A001C003.mov", 5, std::nullopt, std::nullopt, xxh64Of("clip3")});
    const auto second = record(request);
    EXPECT_EQ(second.failed, std::vector<std::string>{"Sidecar.txt"});
    const auto manifest = AscMhlManifestFormat::parse(readFile(second.written[0].manifest));
    std::map<std::string, std::vector<std::pair<HashFormat, AscMhlAction>>> actions;
    for (const auto& entry : manifest.entries) {
        for (const auto& hash : entry.hashes) {
            actions[entry.path].emplace_back(hash.value.format(), *hash.action);
        }
    }
    using enum AscMhlAction;
    EXPECT_EQ(actions["Clips/A001C001.mov"],
              (std::vector<std::pair<HashFormat, AscMhlAction>>{{HashFormat::md5, verified},
                                                                {HashFormat::xxh64, verified}}));
    EXPECT_EQ(actions["Clips/A001C003.mov"],
              (std::vector<std::pair<HashFormat, AscMhlAction>>{{HashFormat::xxh64, original}}));
    EXPECT_EQ(actions["Sidecar.txt"],
              (std::vector<std::pair<HashFormat, AscMhlAction>>{{HashFormat::xxh64, failed}}));
    // Folder hashes are in the formats every file has.
    EXPECT_EQ(manifest.rootHash->content.formats(), HashFormats{HashFormat::xxh64});

    // Day 3: the sidecar is back as first recorded, so it verifies; the failed value is no reference.
    const auto third = record(exampleRequest(root, day1 + std::chrono::hours(48)));
    EXPECT_TRUE(third.failed.empty());
    const AscMhlHistory history = AscMhlHistory::load(root);
    const auto sidecar = history.record("Sidecar.txt");
    EXPECT_EQ(sidecar->reference.find(HashFormat::xxh64)->text(), "187eed94c1db4742");
    EXPECT_EQ(sidecar->lastAction, AscMhlAction::verified);
    EXPECT_EQ(history.record("Clips/A001C001.mov")->reference.formats(),
              (HashFormats{HashFormat::md5, HashFormat::xxh64}));
}

TEST_F(AscMhlHistoryTest, NamesXmlCannotHoldAreLeftOutAndTheRestIsRecorded) {
    const fs::path root = exampleTree();
    auto request = exampleRequest(root, dateOf("2024-05-01T12:00:00Z"));
    for (const std::string path : {"bell\x07name.txt", "lat\xe9n1.txt",
                                   "Bad\x01"
                                   "dir/inside.mov",
                                   "Bad\x01"
                                   "dir/deeper/x.mov",
                                   "tab\tand\nnewline.txt", "NFD Carta\xCC\x83o.txt"}) {
        request.files.push_back({path, 1, std::nullopt, std::nullopt, xxh64Of(path)});
    }
    request.folders.push_back("Bad\x01"
                              "dir/deeper");
    const auto result = record(request);
    // Every file left out is named, and the outermost folder whose own name is the cause.
    EXPECT_EQ(result.leftOut, (std::vector<std::string>{"bell\x07name.txt", "lat\xe9n1.txt",
                                                        "Bad\x01"
                                                        "dir/inside.mov",
                                                        "Bad\x01"
                                                        "dir/deeper/x.mov",
                                                        "Bad\x01"
                                                        "dir"}));
    const AscMhlHistory history = AscMhlHistory::load(root);
    EXPECT_TRUE(history.record("tab\tand\nnewline.txt"));
    EXPECT_TRUE(history.record("NFD Carta\xCC\x83o.txt")); // names are kept as the listing gives them
    // A folder whose own name XML cannot hold gets no history at all.
    const fs::path odd = base / "card\x02";
    fs::create_directories(odd);
    const auto refused =
        AscMhlWriter::write({odd, AscMhlProcess::transfer, {{"a.mov", 1, {}, {}, xxh64Of("a")}}, {}, {}, {}});
    ASSERT_EQ(refused.problems.size(), 1u);
    EXPECT_FALSE(fs::exists(odd / "ascmhl"));
}

TEST_F(AscMhlHistoryTest, NestedHistoriesGetTheirGenerationFirstAndStandByTheirRootHash) {
    const fs::path card = exampleTree("Day1/A001R1AB");
    (void)record(exampleRequest(card, dateOf("2024-05-01T12:00:00Z")));
    const fs::path day = base / "Day1";
    writeFile(day / "notes.txt", "notes");
    AscMhlGenerationRequest request = exampleRequest(day, dateOf("2024-05-02T09:30:15Z"));
    for (auto& file : request.files) {
        file.path = "A001R1AB/" + file.path;
    }
    request.files.push_back({"notes.txt", 5, std::nullopt, std::nullopt, xxh64Of("notes")});
    request.folders = {"A001R1AB", "A001R1AB/Clips", "A001R1AB/Empty"};
    const auto result = record(request);
    expectValidHistory(card);
    ASSERT_EQ(result.written.size(), 2u);
    EXPECT_EQ(std::pair(result.written[0].root, result.written[0].number), std::pair(card, std::int64_t{2}));
    EXPECT_EQ(std::pair(result.written[1].root, result.written[1].number), std::pair(day, std::int64_t{1}));

    const auto parent = AscMhlManifestFormat::parse(readFile(result.written[1].manifest));
    ASSERT_EQ(parent.entries.size(), 2u);
    EXPECT_EQ(parent.entries[0].path, "A001R1AB");
    EXPECT_EQ(parent.entries[0].folderHashes, *result.written[0].rootHash);
    ASSERT_EQ(parent.references.size(), 1u);
    EXPECT_EQ(parent.references[0].path, "A001R1AB/ascmhl/0002_A001R1AB_2024-05-02_093015Z.mhl");
    EXPECT_EQ(parent.references[0].c4, C4Id::of(readFile(result.written[0].manifest)));
    EXPECT_EQ(AscMhlHistory::load(card).record("Clips/A001C001.mov")->lastAction, AscMhlAction::verified);
}

TEST_F(AscMhlHistoryTest, DamagedHistoriesAreReportedAndNeverContinued) {
    using Kind = AscMhlProblem::Kind;
    struct Row {
        std::string name;
        std::function<void(const fs::path&)> damage;
        Kind kind;
    };
    const std::vector<Row> rows = {
        {"one changed byte",
         [](const fs::path& folder) {
             const fs::path file = folder / "0001_A001R1AB_2024-05-01_120000Z.mhl";
             std::string bytes = readFile(file);
             bytes[bytes.find("e4f430eb")] = 'f';
             writeFile(file, bytes);
         },
         Kind::tampered},
        {"a listed manifest gone",
         [](const fs::path& folder) { fs::remove(folder / "0001_A001R1AB_2024-05-01_120000Z.mhl"); },
         Kind::manifestMissing},
        {"no chain", [](const fs::path& folder) { fs::remove(folder / "ascmhl_chain.xml"); }, Kind::noChain},
        {"a chain that is not one",
         [](const fs::path& folder) { writeFile(folder / "ascmhl_chain.xml", "<x/>"); },
         Kind::chainUnreadable},
        {"a manifest that is not one",
         [](const fs::path& folder) {
             writeFile(folder / "0001_A001R1AB_2024-05-01_120000Z.mhl", "<hashlist version=\"2.0\"><");
             writeFile(
                 folder / "ascmhl_chain.xml",
                 AscMhlChainFormat::render({{1, "0001_A001R1AB_2024-05-01_120000Z.mhl",
                                             C4Id::of(std::string_view("<hashlist version=\"2.0\"><")), 0}}));
         },
         Kind::manifestUnreadable},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const fs::path root = exampleTree("case-" + std::to_string(&row - rows.data()) + "/A001R1AB");
        (void)record(exampleRequest(root, dateOf("2024-05-01T12:00:00Z")));
        row.damage(root / "ascmhl");
        const AscMhlHistory history = AscMhlHistory::load(root);
        EXPECT_FALSE(history.intact());
        ASSERT_FALSE(history.problems().empty());
        EXPECT_EQ(history.problems().front().kind, row.kind) << history.problems().front().message;
        if (row.kind == Kind::tampered) {
            EXPECT_FALSE(history.record("Clips/A001C001.mov")) << "a record of a changed manifest was used";
        }
        const auto before = namesIn(root / "ascmhl");
        const auto result = AscMhlWriter::write(exampleRequest(root, dateOf("2024-05-02T09:30:15Z")));
        EXPECT_FALSE(result.complete());
        EXPECT_TRUE(result.written.empty());
        EXPECT_EQ(namesIn(root / "ascmhl"), before);
    }
}

TEST_F(AscMhlHistoryTest, AManifestTheChainDoesNotListIsReadWithAWarning) {
    const fs::path root = exampleTree();
    (void)record(exampleRequest(root, dateOf("2024-05-01T12:00:00Z")));
    fs::copy_file(root / "ascmhl" / "0001_A001R1AB_2024-05-01_120000Z.mhl",
                  root / "ascmhl" / "0002_A001R1AB_2024-05-01_130000Z.mhl");
    const AscMhlHistory history = AscMhlHistory::load(root);
    EXPECT_TRUE(history.intact());
    ASSERT_EQ(history.problems().size(), 1u);
    EXPECT_EQ(history.problems()[0].kind, AscMhlProblem::Kind::notInChain);
    // The next generation takes the number after it; the stray one stays out of the chain.
    const auto result = record(exampleRequest(root, dateOf("2024-05-02T09:30:15Z")));
    EXPECT_EQ(result.written[0].number, 3);
    EXPECT_EQ(AscMhlHistory::load(root).chain().size(), 2u);
}

TEST_F(AscMhlHistoryTest, HostileHistoriesAreReadWithinBoundsAndWithoutHanging) {
    const fs::path root = exampleTree();
    (void)record(exampleRequest(root, dateOf("2024-05-01T12:00:00Z")));
    const fs::path folder = root / "ascmhl";
    ASSERT_EQ(::mkfifo((folder / "0002_A001R1AB_fifo.mhl").c_str(), 0644), 0);
    { std::ofstream huge(folder / "0003_A001R1AB_huge.mhl"); }
    fs::resize_file(folder / "0003_A001R1AB_huge.mhl", AscMhlManifestFormat::maximumDocumentBytes + 1);
    std::string deep = "<hashlist version=\"2.0\">";
    for (int i = 0; i < 100; ++i) {
        deep += "<a>";
    }
    writeFile(folder / "0004_A001R1AB_deep.mhl", deep);
    writeFile(folder / "._0005_A001R1AB_other.mhl", "resource fork"); // another system's, passed over
    const AscMhlHistory history = AscMhlHistory::load(root);
    std::vector<std::string> messages;
    for (const auto& problem : history.problems()) {
        if (problem.kind == AscMhlProblem::Kind::manifestUnreadable) {
            messages.push_back(problem.path.filename().string() + ": " + problem.message);
        }
    }
    ASSERT_EQ(messages.size(), 3u);
    EXPECT_THAT(messages, ElementsAre(HasSubstr("not a regular file"), HasSubstr("larger than"),
                                      HasSubstr("nested deeper")));
    EXPECT_EQ(history.nextGenerationNumber(), 5);
    EXPECT_TRUE(history.record("Sidecar.txt")); // the good generation still counts

    // A history folder reached through a link is not the folder's own.
    const fs::path linked = base / "linked";
    fs::create_directories(linked);
    fs::create_directory_symlink(folder, linked / "ascmhl");
    EXPECT_FALSE(AscMhlHistory::load(linked).present());
}

TEST_F(AscMhlHistoryTest, AdoptingASourceHistoryCopiesExtendsOrKeepsTheCopysOwn) {
    const fs::path source = exampleTree("travel/A001R1AB");
    (void)record(exampleRequest(source, dateOf("2024-05-01T12:00:00Z")));
    (void)record(exampleRequest(source, dateOf("2024-05-02T09:30:15Z")));
    const auto adopt = [&](const fs::path& copy) { return AscMhlWriter::adopt(source, copy); };
    using Outcome = AscMhlAdoptResult::Outcome;

    const fs::path fresh = exampleTree("fresh/A001R1AB");
    EXPECT_EQ(adopt(fresh).outcome, Outcome::copied);
    for (const auto& name : namesIn(source / "ascmhl")) {
        EXPECT_EQ(readFile(fresh / "ascmhl" / name), readFile(source / "ascmhl" / name)) << name;
    }
    EXPECT_EQ(adopt(fresh).outcome, Outcome::upToDate);

    // A copy made after generation 1 only lacks generation 2.
    const fs::path older = exampleTree("older/A001R1AB");
    fs::create_directories(older / "ascmhl");
    fs::copy_file(source / "ascmhl" / "0001_A001R1AB_2024-05-01_120000Z.mhl",
                  older / "ascmhl" / "0001_A001R1AB_2024-05-01_120000Z.mhl");
    writeFile(older / "ascmhl" / "ascmhl_chain.xml",
              AscMhlChainFormat::render({AscMhlHistory::load(source).chain().front()}));
    EXPECT_EQ(adopt(older).outcome, Outcome::extended);
    EXPECT_EQ(AscMhlHistory::load(older).chain(), AscMhlHistory::load(source).chain());
    expectValidHistory(older);

    // A copy with a history of its own keeps it, whole.
    const fs::path other = exampleTree("other/A001R1AB");
    (void)record(exampleRequest(other, dateOf("2024-06-01T08:00:00Z")));
    const auto before = namesIn(other / "ascmhl");
    EXPECT_EQ(adopt(other).outcome, Outcome::diverged);
    EXPECT_EQ(namesIn(other / "ascmhl"), before);
    EXPECT_EQ(AscMhlWriter::adopt(base / "nothing-here", fresh).outcome, Outcome::none);
}

TEST_F(AscMhlHistoryTest, ManifestNamesStayWithinAFileNameAndNumbersPassFourDigits) {
    const Date date = dateOf("2024-05-01T12:00:00Z");
    EXPECT_EQ(AscMhlWriter::manifestName(1, "A001 R1_ção", date), "0001_A001 R1_ção_2024-05-01_120000Z.mhl");
    EXPECT_EQ(AscMhlWriter::manifestName(10000, "A", date), "10000_A_2024-05-01_120000Z.mhl");
    std::string longName;
    for (int i = 0; i < 200; ++i) {
        longName += "é";
    }
    const std::string name = AscMhlWriter::manifestName(12, longName, date);
    EXPECT_LE(name.size(), 255u);
    EXPECT_TRUE(name.starts_with("0012_é"));
    EXPECT_TRUE(name.ends_with("é_2024-05-01_120000Z.mhl")); // cut between characters, never inside one
}

TEST_F(AscMhlHistoryTest, AFolderTreeAnswersForEachPathFromTheHistoryThatHoldsIt) {
    const fs::path card = exampleTree("Day1/A001R1AB");
    (void)record(exampleRequest(card, dateOf("2024-05-01T12:00:00Z")));
    const fs::path day = base / "Day1";
    writeFile(day / "notes.txt", "notes");
    (void)record({day, AscMhlProcess::transfer, {{"notes.txt", 5, {}, {}, xxh64Of("notes")}}, {}, {}, {}});

    const auto histories = AscMhlHistories::find(day);
    ASSERT_EQ(histories.all().size(), 2u);
    const auto cover = histories.covering("A001R1AB/Clips/A001C001.mov");
    ASSERT_TRUE(cover);
    EXPECT_EQ(cover->path, "Clips/A001C001.mov");
    EXPECT_EQ(cover->historyFolder, "A001R1AB");
    const std::tuple<std::string, HashValues, AscMhlMatch> rows[] = {
        {"A001R1AB/Clips/A001C001.mov", xxh64Of("clip1"), AscMhlMatch::matches},
        {"A001R1AB/Clips/A001C001.mov", xxh64Of("clip1, changed"), AscMhlMatch::differs},
        {"A001R1AB/Clips/A001C001.mov",
         {ContentHasher::digest(HashFormat::md5, {})},
         AscMhlMatch::notComparable},
        {"notes.txt", xxh64Of("notes"), AscMhlMatch::matches},
        {"A001R1AB/new.mov", xxh64Of("new"), AscMhlMatch::unrecorded},
    };
    for (const auto& [path, now, expected] : rows) {
        EXPECT_EQ(histories.compare(path, now), expected) << path;
    }
    EXPECT_TRUE(histories.ignores("A001R1AB/ascmhl/ascmhl_chain.xml", false));
    EXPECT_TRUE(histories.ignores("ascmhl", true));
    EXPECT_FALSE(histories.ignores("A001R1AB/Clips", true));
    EXPECT_TRUE(AscMhlHistories::find(base / "Day1" / "A001R1AB" / "Clips").empty());
}
