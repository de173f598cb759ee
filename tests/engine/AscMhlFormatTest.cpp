#include "AscMhlTestSupport.h"
#include "stowline/AscMhlChain.h"
#include "stowline/AscMhlManifest.h"
#include "stowline/C4Id.h"
#include "stowline/DirectoryHashes.h"

#include <gtest/gtest.h>

using namespace stowline;
using namespace ascmhltest;

namespace {

HashValue valueOf(HashFormat format, std::string_view text) {
    return *HashValue::fromText(format, text);
}

HashValues hashesOf(HashFormat format, std::string_view bytes) {
    return {ContentHasher::digest(format, std::as_bytes(std::span(bytes)))};
}

/// The note's example tree as the writer sees it, in one format.
std::map<std::string, FolderHashes> exampleFolders(HashFormat format) {
    DirectoryHashes tree({format});
    tree.addFile("Clips/A001C001.mov", hashesOf(format, "clip1"));
    tree.addFile("Sidecar.txt", hashesOf(format, "sidecar"));
    tree.addFolder("Empty");
    tree.addFile("Clips/A001C002.mov", hashesOf(format, "clip2"));
    return tree.compute();
}

/// The note's generation 1 as data.
AscMhlManifest exampleManifest() {
    const Date created = dateOf("2024-05-01T12:00:00Z");
    const Date modified = dateOf("2024-05-01T11:00:00Z");
    AscMhlManifest manifest;
    manifest.creationDate = created;
    manifest.creator.hostName = "dit-cart-1";
    manifest.creator.toolName = "mytool";
    manifest.creator.toolVersion = "1.0";
    manifest.creator.authors.push_back({"Jo Doe", "jo@example.com", "", "DIT"});
    manifest.creator.comment = "Card A001R1AB to /media/RAID";
    manifest.rootHash = FolderHashes{{valueOf(HashFormat::xxh64, "09e6a1d9c4e7132a")},
                                     {valueOf(HashFormat::xxh64, "74563f90b611dcdc")}};
    manifest.ignorePatterns = AscMhlManifestFormat::defaultIgnorePatterns();
    const auto file = [&](std::string path, std::int64_t size, std::string_view hash, int line) {
        AscMhlEntry entry;
        entry.path = std::move(path);
        entry.size = size;
        entry.lastModificationDate = modified;
        entry.hashes.push_back({valueOf(HashFormat::xxh64, hash), AscMhlAction::original, created});
        entry.line = line;
        return entry;
    };
    const auto folder = [&](std::string path, std::string_view content, std::string_view structure,
                            int line) {
        AscMhlEntry entry;
        entry.kind = AscMhlEntry::Kind::folder;
        entry.path = std::move(path);
        entry.folderHashes = {{valueOf(HashFormat::xxh64, content)}, {valueOf(HashFormat::xxh64, structure)}};
        entry.line = line;
        return entry;
    };
    manifest.entries = {file("Clips/A001C001.mov", 5, "e4f430ebf0ff8227", 23),
                        file("Clips/A001C002.mov", 5, "dcd4f5d6bdffe417", 27),
                        folder("Clips", "bcd6e5fb64d7ff88", "66e8a62869406eb8", 31),
                        folder("Empty", "ef46db3751d8e999", "ef46db3751d8e999", 36),
                        file("Sidecar.txt", 7, "187eed94c1db4742", 41)};
    return manifest;
}

} // namespace

TEST(AscMhlFormatTest, FolderAndRootHashesOfTheWorkedExample) {
    struct Expected {
        HashFormat format;
        std::string clipsContent, clipsStructure, empty, rootContent, rootStructure;
    };
    for (const auto& expected : {
             Expected{HashFormat::xxh64, "bcd6e5fb64d7ff88", "66e8a62869406eb8", "ef46db3751d8e999",
                      "09e6a1d9c4e7132a", "74563f90b611dcdc"},
             Expected{HashFormat::xxh128, "160f1ed58956a174ec5d248eec70e387",
                      "ca9aa221f985762a2d51a12fdc00bdf9", "99aa06d3014798d86001c324468d497f",
                      "ce488c89014e1a2d59817d730565447a", "5177129bb88f5c8dab058cf1f69b5ceb"},
         }) {
        const auto folders = exampleFolders(expected.format);
        SCOPED_TRACE(std::string(toText(expected.format)));
        ASSERT_EQ(folders.size(), 3u);
        EXPECT_EQ(folders.at("Clips").content.all().front().text(), expected.clipsContent);
        EXPECT_EQ(folders.at("Clips").structure.all().front().text(), expected.clipsStructure);
        EXPECT_EQ(folders.at("Empty").content.all().front().text(), expected.empty);
        EXPECT_EQ(folders.at("Empty").structure.all().front().text(), expected.empty);
        EXPECT_EQ(folders.at("").content.all().front().text(), expected.rootContent);
        EXPECT_EQ(folders.at("").structure.all().front().text(), expected.rootStructure);
    }
    // The file hashes of the table.
    EXPECT_EQ(hashesOf(HashFormat::xxh64, "clip1").all().front().text(), "e4f430ebf0ff8227");
    EXPECT_EQ(hashesOf(HashFormat::xxh128, "clip2").all().front().text(), "22b1eb2d7d50583033604b851c3695b0");
    EXPECT_EQ(exampleFolders(HashFormat::c4).at("").content.all().front().text(),
              "c42RReywvg4xxXkkjpSy8jrhyLzWa2wTLEv4mu8GMxerYuKUzChkb4WJtzzJTtFD9RigtcX16ptYFhceC7NJ4i6ioq");
}

TEST(AscMhlFormatTest, TheExampleManifestRendersByteForByteAndReadsBack) {
    const std::string note = readFile(dataFolder / "0001_A001R1AB_2024-05-01_120000Z.mhl");
    const AscMhlManifest manifest = exampleManifest();
    EXPECT_EQ(AscMhlManifestFormat::render(manifest), note);
    EXPECT_EQ(AscMhlManifestFormat::parse(note), manifest);
    // The SHA-512 of these bytes in base 58, as an independent implementation computes it.
    EXPECT_EQ(C4Id::of(note),
              "c45Jez3nxMHbnqFhBDntgmTDkJM9dq9FyZgzi69NLbRcx9URWbHxkGSFMd4PNMQeVjfFf3no9MCjBhYcDwj5vFJkMi");
    // Entries handed to a sink one by one leave none in the manifest.
    std::vector<AscMhlEntry> entries;
    const AscMhlManifestFormat::EntrySink sink = [&](AscMhlEntry&& entry) {
        entries.push_back(std::move(entry));
    };
    EXPECT_TRUE(AscMhlManifestFormat::parse(note, &sink).entries.empty());
    EXPECT_EQ(entries, manifest.entries);
}

TEST(AscMhlFormatTest, NamesAreWrittenExactlyAndReadBackExactly) {
    AscMhlManifest manifest = exampleManifest();
    manifest.rootHash.reset();
    manifest.entries.resize(1);
    manifest.entries[0].path = " lead & <tab>\there\nline\rend ";
    manifest.entries[0].previousPath = "old \"name\"";
    manifest.creator.authors[0].email = "not an address"; // left out: the schema would refuse it
    manifest.creator.hostName = std::string("bad\x01host\xff", 9);
    const std::string document = AscMhlManifestFormat::render(manifest);
    EXPECT_NE(document.find("<path size=\"5\" lastmodificationdate=\"2024-05-01T11:00:00Z\"> lead &amp; "
                            "&lt;tab&gt;&#9;here&#10;line&#13;end </path>"),
              std::string::npos)
        << document;
    EXPECT_EQ(document.find("email="), std::string::npos);
    const AscMhlManifest back = AscMhlManifestFormat::parse(document);
    EXPECT_EQ(back.entries[0].path, manifest.entries[0].path);
    EXPECT_EQ(back.entries[0].previousPath, manifest.entries[0].previousPath);
    EXPECT_EQ(back.creator.hostName, "bad\xEF\xBF\xBDhost\xEF\xBF\xBD");
    const enginetest::TempFolder folder;
    EXPECT_EQ(schemaComplaint(writeFile(folder.path() / "names.mhl", document)), "");
    for (const auto* name : {"bell\x07", "lat\xe9n", "\xEF\xBF\xBF" /* U+FFFF */}) {
        EXPECT_FALSE(AscMhlManifestFormat::xmlCanHold(name)) << name;
    }
    EXPECT_TRUE(AscMhlManifestFormat::xmlCanHold("tab\tLF\nCR\r ção"));
}

TEST(AscMhlFormatTest, ManifestsOfOtherWritersAreReadAndBadOnesRefused) {
    const std::string head =
        "<?xml version=\"1.0\"?>\n<hashlist version=\"2.0\" xmlns=\"urn:ASC:MHL:v2.0\">"
        "<creatorinfo><creationdate>2024-05-01T12:00:00+02:00</creationdate></creatorinfo>"
        "<processinfo><process>in-place</process></processinfo><hashes>";
    const std::string tail = "</hashes></hashlist>";
    // Prefixed names, metadata of any shape, an unknown format and upper-case hex are read.
    const auto manifest = AscMhlManifestFormat::parse(
        "<m:hashlist version=\"2.0\" xmlns:m=\"urn:ASC:MHL:v2.0\"><m:creatorinfo/><m:processinfo>"
        "<m:process>flatten</m:process></m:processinfo><m:hashes><m:hash><m:path>a</m:path>"
        "<m:md5 action='verified'>9DB0FC9F30F5EE70041A7538809E2858</m:md5><m:sha256>00</m:sha256>"
        "<m:metadata><hash><path>not this</path></hash></m:metadata></m:hash></m:hashes></m:hashlist>");
    ASSERT_EQ(manifest.entries.size(), 1u);
    EXPECT_EQ(manifest.process, AscMhlProcess::flatten);
    EXPECT_EQ(manifest.entries[0].hashes.front().value.text(), "9db0fc9f30f5ee70041a7538809e2858");
    EXPECT_EQ(manifest.entries[0].hashes.front().action, AscMhlAction::verified);

    for (const auto& [document, complaint] : std::vector<std::pair<std::string, std::string>>{
             {"<hashlist version=\"1.1\"></hashlist>", "not an ASC MHL 2.0 manifest"},
             {"<ascmhldirectory/>", "not <hashlist>"},
             {head + "<hash><path>a</path><xxh64>e4f430ebf0ff822</xxh64></hash>" + tail, "not a hash"},
             {head + "<hash><path>a</path><xxh64 action=\"copied\">e4f430ebf0ff8227</xxh64></hash>" + tail,
              "unknown action"},
             {head + "<hash><path size=\"-1\">a</path></hash>" + tail, "not a whole number"},
             {head + "<hash><xxh64>e4f430ebf0ff8227</xxh64></hash>" + tail, "without a path"},
             {head +
                  "<hash><path>a</path><xxh64>e4f430ebf0ff8227</xxh64><xxh64>e4f430ebf0ff8227</xxh64></"
                  "hash>" +
                  tail,
              "two <xxh64>"},
             {"<!DOCTYPE x [<!ENTITY a \"b\">]>" + head + tail, "document type declarations"},
             {head + std::string(40, '<') + tail, "expected a name"},
         }) {
        try {
            (void)AscMhlManifestFormat::parse(document);
            ADD_FAILURE() << "accepted: " << document;
        } catch (const AscMhlError& error) {
            EXPECT_NE(std::string(error.what()).find(complaint), std::string::npos) << error.what();
        }
    }
}

TEST(AscMhlFormatTest, TheChainRoundTripsAndRefusesEntriesWithoutTheirParts) {
    const std::string note = readFile(dataFolder / "ascmhl_chain.xml");
    const auto entries = AscMhlChainFormat::parse(note);
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[1].sequenceNumber, 2);
    EXPECT_EQ(entries[1].path, "0002_A001R1AB_2024-05-02_093015Z.mhl");
    EXPECT_EQ(entries[0].c4.size(), C4Id::length);
    EXPECT_EQ(AscMhlChainFormat::render(entries), note);
    for (const std::string& bad : {
             std::string("<hashlist/>"),
             std::string(
                 "<ascmhldirectory><hashlist><path>0001_a.mhl</path><c4>x</c4></hashlist></ascmhldirectory>"),
             std::string(
                 "<ascmhldirectory><hashlist sequencenr=\"0\"><path>0001_a.mhl</path><c4>x</c4></hashlist>"
                 "</ascmhldirectory>"),
             std::string("<ascmhldirectory><hashlist sequencenr=\"1\"><path>0001_a.mhl</path></hashlist>"
                         "</ascmhldirectory>"),
         }) {
        EXPECT_THROW((void)AscMhlChainFormat::parse(bad), AscMhlError) << bad;
    }
}

TEST(AscMhlFormatTest, IgnorePatternsApplyAsTheReferenceReadersApplyThem) {
    const std::vector<std::string> patterns = {".DS_Store", "ascmhl",       "ascmhl/",   "*.tmp",
                                               "cache/",    "**/Thumbs.db", "/Anchored", "Clips/*.bak"};
    struct Row {
        std::string path;
        bool folder;
        bool ignored;
    };
    for (const auto& row : std::vector<Row>{
             {".DS_Store", false, true},
             {"Clips/.DS_Store", false, true},
             {"ascmhl", true, true},
             {"ascmhl/0001_x.mhl", false, true},
             {"Sub/ascmhl/ascmhl_chain.xml", false, true},
             {"Clips/a.tmp", false, true},
             {"cache/x.mov", false, true},
             {"cache", false, false}, // a file named like a folder pattern
             {"A/B/Thumbs.db", false, true},
             {"Anchored", true, false},
             {"Clips/x.bak", false, false},
             {"Clips/A001C001.mov", false, false},
             {"._A001C001.mov", false, false}, // hidden files are ordinary files
         }) {
        EXPECT_EQ(ascMhlIgnores(patterns, row.path, row.folder), row.ignored) << row.path;
    }
}
