#include "AscMhlTestSupport.h"
#include "EngineTestSupport.h"

#include "stowline/AscMhlHistory.h"

using namespace stowline;
using enginetest::copyFailure;
using enginetest::runEngine;
using enginetest::summaryOf;
namespace fs = std::filesystem;

namespace {

class CopyEngineAscMhl : public enginetest::EngineFixture {
protected:
    static CopyEngine::Options withHistories(HashFormats formats) {
        CopyEngine::Options options;
        options.ascMhl = AscMhlOptions{formats, AscMhlCreator::current()};
        return options;
    }

    static AscMhlManifest manifestOf(const fs::path& file) {
        return AscMhlManifestFormat::parse(ascmhltest::readFile(file));
    }

    static const AscMhlEntry& entryOf(const AscMhlManifest& manifest, std::string_view path) {
        for (const auto& entry : manifest.entries) {
            if (entry.path == path) {
                return entry;
            }
        }
        throw std::logic_error("no entry " + std::string(path));
    }
};

} // namespace

TEST_F(CopyEngineAscMhl, EveryCopiedFolderGetsAGenerationAtEveryRootFromTheJobsOwnRead) {
    const std::string clip = addToCard("A001/CLIP1.MOV", 5 * 1024 * 1024 + 3, 'x'); // two chunks
    addToCard("notes.txt", 12, 'n');
    fs::create_directories(card / "EMPTY");
    const auto summary = summaryOf(runEngine(
        {card}, {rootA, rootB}, withHistories({HashFormat::xxh64, HashFormat::xxh128, HashFormat::md5})));
    ASSERT_EQ(summary.verifiedCount(), 2);

    const auto clipBytes = std::as_bytes(std::span(clip));
    for (const auto& root : {rootA, rootB}) {
        SCOPED_TRACE(root.string());
        ASSERT_EQ(summary.ascMhlByRoot.at(root).size(), 1u);
        const AscMhlSummary& written = summary.ascMhlByRoot.at(root).front();
        EXPECT_TRUE(written.notes.empty()) << written.notes.front();
        ASSERT_EQ(written.manifests.size(), 1u);
        EXPECT_TRUE(written.manifests[0].filename().string().starts_with("0001_card_"));
        ascmhltest::expectValidHistory(root / "card");
        const auto manifest = manifestOf(written.manifests[0]);
        const auto& entry = entryOf(manifest, "A001/CLIP1.MOV");
        ASSERT_EQ(entry.hashes.size(), 3u);
        for (const auto& hash : entry.hashes) {
            EXPECT_EQ(hash.value, ContentHasher::digest(hash.value.format(), clipBytes))
                << toText(hash.value.format());
            EXPECT_EQ(hash.action, AscMhlAction::original);
        }
        EXPECT_EQ(entryOf(manifest, "EMPTY").kind, AscMhlEntry::Kind::folder);
    }

    // Offloaded again: nothing is copied, and each history gets a generation of verified entries.
    const auto second = summaryOf(runEngine({card}, {rootA}, withHistories({HashFormat::xxh64})));
    EXPECT_EQ(second.skippedCount(), 2);
    const auto& manifests = second.ascMhlByRoot.at(rootA).front().manifests;
    ASSERT_EQ(manifests.size(), 1u);
    EXPECT_EQ(entryOf(manifestOf(manifests[0]), "notes.txt").hashes.front().action, AscMhlAction::verified);
    EXPECT_EQ(AscMhlHistory::load(rootA / "card").chain().size(), 2u);
}

TEST_F(CopyEngineAscMhl, ASourceThatChangedSinceItsHistoryRecordedItFailsAndTheCopysHistorySaysSo) {
    addToCard("A001/CLIP1.MOV", 70'000, 'a');
    const std::string sidecar = addToCard("A001/CLIP1.XML", 900, 'b');
    AscMhlGenerationRequest earlier{card,     AscMhlProcess::transfer,  {},
                                    {"A001"}, AscMhlCreator::current(), now()};
    for (const auto& [path, bytes] :
         {std::pair{"A001/CLIP1.MOV", enginetest::readFile(card / "A001/CLIP1.MOV")},
          std::pair{"A001/CLIP1.XML", sidecar}}) {
        earlier.files.push_back(
            {path, static_cast<std::int64_t>(bytes.size()), {}, {}, ascmhltest::xxh64Of(bytes)});
    }
    ASSERT_TRUE(AscMhlWriter::write(earlier).complete());
    // Same size, other bytes: only the history can tell.
    const std::string edited = enginetest::content(900, 'c');
    enginetest::writeFile(card / "A001/CLIP1.XML", edited);

    const auto summary = summaryOf(runEngine({card}, {rootA}, withHistories({HashFormat::xxh64})));
    ASSERT_EQ(summary.reports.size(), 2u) << "the history's own files are not copied as files";
    EXPECT_EQ(summary.reports[0].outcome, FileOutcome::verified);
    EXPECT_EQ(summary.reports[1].relativePath, "card/A001/CLIP1.XML");
    EXPECT_NE(copyFailure(summary.reports[1].errorDescription).find("changed since it was recorded"),
              std::string::npos);
    EXPECT_EQ(enginetest::readFile(rootA / "card/A001/CLIP1.XML"), edited) << "the faithful copy stays";

    // The travel history came over whole and was continued; it records the difference.
    const AscMhlHistory history = AscMhlHistory::load(rootA / "card");
    EXPECT_EQ(history.chain().size(), 2u);
    EXPECT_EQ(history.record("A001/CLIP1.XML")->lastAction, AscMhlAction::failed);
    EXPECT_EQ(history.record("A001/CLIP1.XML")->reference, ascmhltest::xxh64Of(sidecar));
    EXPECT_EQ(history.record("A001/CLIP1.MOV")->lastAction, AscMhlAction::verified);
    ascmhltest::expectValidHistory(rootA / "card");
    EXPECT_TRUE(AscMhlHistory::load(card).chain().size() == 1u) << "the card gets nothing";
}
