#pragma once
// Fixtures shared by the ASC MHL tests: the worked example tree of the format's note, dates,
// and checks of written histories against the compact schemas kept beside these tests.
#include "EngineTestSupport.h"
#include "stowline/AscMhlWriter.h"
#include "stowline/ContentHasher.h"
#include "stowline/HashList.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ascmhltest {

namespace fs = std::filesystem;
using namespace stowline;

inline const fs::path dataFolder = fs::path(STOWLINE_SOURCE_DIR) / "tests" / "engine" / "ascmhl";

inline Date dateOf(std::string_view text) {
    return *HashListReader::parseDate(text);
}

using enginetest::namesIn;
using enginetest::readFile;
using enginetest::writeFile;

inline void setModified(const fs::path& path, Date date) {
    const auto since = date.time_since_epoch();
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(since);
    const timespec times[2] = {{0, UTIME_OMIT},
                               {seconds.count(), static_cast<long>((since - seconds).count())}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0) << path;
}

/// Empty when xmllint finds `file` well-formed and valid against the compact schema of its
/// kind (a chain or a manifest), else its complaint.
inline std::string schemaComplaint(const fs::path& file) {
    const bool chain = file.filename() == "ascmhl_chain.xml";
    const fs::path schema = dataFolder / (chain ? "ascmhl-chain-check.xsd" : "ascmhl-manifest-check.xsd");
    const fs::path log = fs::temp_directory_path() / ("xmllint-" + std::to_string(::getpid()) + ".log");
    const std::string command = "xmllint --noout --schema '" + schema.string() + "' '" + file.string() +
                                "' 2> '" + log.string() + "'";
    const int status = std::system(command.c_str());
    const std::string complaint = readFile(log);
    fs::remove(log);
    return status == 0 ? std::string() : "xmllint: " + complaint;
}

/// Every manifest and the chain of the history in `root` pass the schema check.
inline void expectValidHistory(const fs::path& root) {
    for (const auto& entry : fs::directory_iterator(root / "ascmhl")) {
        EXPECT_EQ(schemaComplaint(entry.path()), "") << entry.path();
    }
}

inline HashValues xxh64Of(std::string_view bytes) {
    return {ContentHasher::digest(HashFormat::xxh64, std::as_bytes(std::span(bytes)))};
}

/// A temporary folder for the example tree.
class ExampleTreeTest : public enginetest::TempFolderTest {
protected:
    /// The note's tree under base/<name>: Clips/A001C001.mov, Clips/A001C002.mov, the empty
    /// folder Empty and Sidecar.txt, every file last modified at 2024-05-01T11:00:00Z.
    fs::path exampleTree(const std::string& name = "A001R1AB") {
        const fs::path root = base / name;
        for (const auto& [path, bytes] : exampleFiles()) {
            writeFile(root / path, bytes);
            setModified(root / path, dateOf("2024-05-01T11:00:00Z"));
        }
        fs::create_directories(root / "Empty");
        return root;
    }

    static std::vector<std::pair<std::string, std::string>> exampleFiles() {
        return {{"Clips/A001C001.mov", "clip1"}, {"Clips/A001C002.mov", "clip2"}, {"Sidecar.txt", "sidecar"}};
    }

    /// What a job hands the writer for the files of the example tree (xxh64 only).
    static AscMhlGenerationRequest exampleRequest(const fs::path& root, Date date) {
        AscMhlGenerationRequest request;
        request.root = root;
        request.date = date;
        request.creator.hostName = "dit-cart-1";
        request.creator.toolName = "mytool";
        request.creator.toolVersion = "1.0";
        request.creator.authors.push_back({"Jo Doe", "jo@example.com", "", "DIT"});
        request.creator.comment = "Card A001R1AB to /media/RAID";
        for (const auto& [path, bytes] : exampleFiles()) {
            request.files.push_back({path, static_cast<std::int64_t>(bytes.size()),
                                     dateOf("2024-05-01T11:00:00Z"), std::nullopt, xxh64Of(bytes)});
        }
        request.folders = {"Clips", "Empty"};
        return request;
    }
};

} // namespace ascmhltest
