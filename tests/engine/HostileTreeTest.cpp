// Generated trees full of names no camera writes but a user's disk may hold, run through the
// whole engine and both report renderers. Fixed seed, bounded by a time budget, and guarded by
// an alarm: a FIFO the engine opened would hang the job instead of failing a check.
#include "EngineTestSupport.h"
#include "ReportFixtures.h"

#include "stowline/DriveCheck.h"
#include "stowline/FileCopier.h"
#include "stowline/MHLReport.h"
#include "stowline/ReportWriter.h"
#include "stowline/TextReport.h"

#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <random>
#include <set>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

using namespace stowline;
using namespace enginetest;

namespace {

constexpr auto budget = std::chrono::seconds(6);
constexpr unsigned watchdogLimit = 120; // seconds

const std::vector<std::string> hostileNames = {
    "with space",
    " leading and trailing ",
    "new\nline",
    "tab\there",
    "carriage\rreturn",
    "quote\"d 'single'",
    "&amp; <b>bold<b> &lt; & > <",
    "emoji \xF0\x9F\x8E\xAC\xF0\x9F\x8E\x9E\xEF\xB8\x8F",
    "Carta\xCC\x83o",         // decomposed
    "Cart\xC3\xA3o",          // composed
    "control\x01\x1b[31mred", // escape sequence
    "not utf8 \xFF\xFE\xC0",  // invalid bytes
    "bell\x07 del\x7F",
    "c1 \xC2\x85 next-line",
    "line\xE2\x80\xA8sep",
    "percent %1 %n %s %%",
    "back\\slash",
    "-dash",
    ".hidden",
    "._forked",  // ignored by the scanner
    ".DS_Store", // ignored by the scanner
    "zero width \xE2\x80\x8B joiner \xE2\x80\x8D",
    "rtl \xE2\x80\xAE"
    "exe.mov",
};

std::string longName(std::mt19937& random) {
    if (random() % 2 == 0) {
        return std::string(255, static_cast<char>('a' + random() % 26));
    }
    std::string name;
    for (int i = 0; i < 85; ++i) {
        name += "\xE3\x81\x82"; // 85 × 3 bytes = 255
    }
    return name;
}

std::string pickName(std::mt19937& random, std::set<std::string>& used) {
    for (;;) {
        std::string name;
        switch (random() % 6) {
        case 0:
            name = longName(random);
            break;
        case 1:
            name = "f" + std::to_string(random() % 1000) + ".mov";
            break;
        default:
            name = hostileNames[random() % hostileNames.size()];
            if (random() % 2 == 0) {
                name += " " + std::to_string(random() % 100);
            }
        }
        if (used.insert(name).second) {
            return name;
        }
    }
}

/// A UNIX socket at `path`; bound in a short folder first (socket paths are limited to ~108
/// bytes), then moved into place.
void makeSocket(const fs::path& path) {
    const auto shortPath = fs::temp_directory_path() / ("sl-sock-" + std::to_string(::getpid()));
    ::unlink(shortPath.c_str());
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(fd, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof address.sun_path, "%s", shortPath.c_str());
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ::close(fd);
    fs::rename(shortPath, path);
}

using Tree = std::map<std::string, std::string>; ///< relative path under the card → bytes

void fill(const fs::path& folder, const std::string& relative, int depth, std::mt19937& random, Tree& tree) {
    std::set<std::string> used;
    const int entries = 2 + static_cast<int>(random() % 6);
    for (int i = 0; i < entries; ++i) {
        const std::string name = pickName(random, used);
        const fs::path path = folder / name;
        const std::string rel = relative.empty() ? name : relative + "/" + name;
        switch (random() % 10) {
        case 0:
        case 1:
            if (depth < 3) {
                fs::create_directory(path);
                fill(path, rel, depth + 1, random, tree); // may stay empty
                break;
            }
            [[fallthrough]];
        default: {
            const std::size_t size = random() % 4 == 0 ? 0 : random() % 70'000;
            const auto bytes = content(size, static_cast<char>(random()));
            writeFile(path, bytes);
            if (name != ".DS_Store" && name.rfind("._", 0) != 0) {
                tree[rel] = bytes;
            }
            break;
        }
        case 7:
            ASSERT_EQ(::mkfifo(path.c_str(), 0644), 0) << path;
            break;
        case 8:
            makeSocket(path);
            break;
        case 9:
            // A loop of links, and a link to the folder's parent: a walk that followed links
            // would never end.
            std::error_code ignored;
            fs::create_symlink(name + " loop", path, ignored);
            fs::create_symlink(name, folder / (name + " loop"), ignored);
            break;
        }
    }
    std::error_code ignored;
    fs::create_directory_symlink("..", folder / "up", ignored);
}

/// A chain of 200-byte folder names ending in a file, as deep as fits `limit` bytes of path.
void addDeepFile(const fs::path& card, std::size_t limit, Tree& tree) {
    const std::string segment(200, 'd');
    std::string rel = "deep";
    while (card.string().size() + 1 + rel.size() + 1 + segment.size() + 10 < limit) {
        rel += "/" + segment;
    }
    rel += "/clip.mov";
    const auto bytes = content(5'000, 'q');
    writeFile(card / rel, bytes);
    tree[rel] = bytes;
}

bool wellFormedXml(const fs::path& file) {
    const std::string command = "xmllint --noout '" + file.string() + "' 2>&1";
    return std::system(command.c_str()) == 0;
}

/// Which report each file line of a text report belongs to: the longest escaped name the
/// line starts with after its mark. Every report must own exactly one line.
void expectEveryFileOnce(const std::string& text, const std::vector<FileReport>& reports) {
    std::map<std::string, int> lines;
    std::size_t start = 0;
    int marked = 0;
    while (start < text.size()) {
        const auto end = text.find('\n', start);
        const std::string line = text.substr(start, end - start);
        start = end == std::string::npos ? text.size() : end + 1;
        std::string rest;
        for (const char* mark : {"  \xE2\x9C\x93  ", "  \xE2\x86\xB7  ", "  \xE2\x9C\x97  "}) {
            if (line.rfind(mark, 0) == 0) {
                rest = line.substr(std::char_traits<char>::length(mark));
            }
        }
        if (rest.empty()) {
            continue;
        }
        ++marked;
        std::string owner;
        for (const auto& report : reports) {
            const auto shown = TextReport::visibleText(report.relativePath);
            if (rest.rfind(shown, 0) == 0 && shown.size() > owner.size()) {
                owner = shown;
            }
        }
        ++lines[owner];
    }
    EXPECT_EQ(marked, static_cast<int>(reports.size()));
    for (const auto& report : reports) {
        EXPECT_EQ(lines[TextReport::visibleText(report.relativePath)], 1)
            << TextReport::visibleText(report.relativePath);
    }
}

} // namespace

using HostileTree = EngineFixture;

TEST_F(HostileTree, EveryFileArrivesIdenticalOrFailsWithAReasonAndBothReportsHoldUp) {
    // A hung engine (a FIFO opened, say) ends the process rather than stall the test run.
    struct Alarm {
        Alarm() { ::alarm(watchdogLimit); }
        ~Alarm() { ::alarm(0); }
    } const alarm;

    std::mt19937 random(20241206);
    const auto deadline = std::chrono::steady_clock::now() + budget;
    // B's longer path pushes the deepest file past PATH_MAX there only: it must fail at B with
    // a reason while A gets it.
    const fs::path longRootB = base / std::string(200, 'B') / std::string(200, 'b');
    fs::create_directories(longRootB);
    int rounds = 0;
    std::size_t filesSeen = 0;
    std::vector<std::string> atA; ///< every file copied or found at A, across rounds
    while (rounds < 2 || std::chrono::steady_clock::now() < deadline) {
        const std::string cardName = "card " + std::to_string(rounds) + " & <\"x\">";
        const fs::path thisCard = base / cardName;
        fs::create_directories(thisCard);
        Tree tree;
        fill(thisCard, "", 0, random, tree);
        if (rounds == 0) {
            addDeepFile(thisCard, PATH_MAX - 40, tree);
        }

        CopyEngine::Options options;
        options.capacity = roomy;
        CopyEngine engine(options);
        auto stream = engine.run(CopyJob{{thisCard}, {rootA, longRootB}});
        std::vector<EngineEvent> events;
        while (auto event = stream->next()) {
            events.push_back(std::move(*event));
        }
        const auto& summary = summaryOf(events);

        // Exactly the regular files, each once.
        std::multiset<std::string> reported;
        for (const auto& report : summary.reports) {
            reported.insert(report.relativePath);
        }
        std::multiset<std::string> expected;
        for (const auto& [rel, bytes] : tree) {
            expected.insert(cardName + "/" + rel);
        }
        ASSERT_EQ(reported, expected) << "round " << rounds;

        for (const auto& root : {rootA, longRootB}) {
            // A tree of nothing but FIFOs, sockets and links gives no reports at all.
            const auto perRoot = summary.reportsAt(root);
            ASSERT_EQ(perRoot.size(), tree.size());
            for (const auto& report : perRoot) {
                const auto& source = tree.at(report.relativePath.substr(cardName.size() + 1));
                if (report.outcome == FileOutcome::failed) {
                    EXPECT_TRUE(report.errorDescription.has_value()) << report.relativePath;
                    std::error_code error; // a 255-byte name has no room for the temporary suffix
                    EXPECT_FALSE(fs::exists(FileCopier::temporaryPath(root / report.relativePath), error));
                } else {
                    EXPECT_EQ(readFile(root / report.relativePath), source) << report.relativePath;
                    EXPECT_EQ(report.hashHex, hexOf(hashOf(source)));
                }
            }
            const auto narrowed = summary.summary(root);
            const fs::path mhl = base / "check.mhl";
            writeFile(mhl, MHLReport::render(narrowed, "Stowline 1.0"));
            EXPECT_TRUE(wellFormedXml(mhl)) << "round " << rounds << " at " << root;
            expectEveryFileOnce(
                TextReport::render(narrowed, {thisCard}, root, stowline::testing::englishStrings()), perRoot);
        }
        if (rounds == 0) {
            // The deep file is at A; B's path for it is too long and says so.
            const auto& deepAtB = summary.reportsAt(longRootB);
            EXPECT_TRUE(std::any_of(deepAtB.begin(), deepAtB.end(), [](const FileReport& r) {
                return r.relativePath.find("/deep/") != std::string::npos && r.outcome == FileOutcome::failed;
            }));
        }
        // A's Hash Log for the drive check below.
        ASSERT_TRUE(ReportWriter::write(summary, {thisCard}, {rootA}, cardName, ReportFormats::mhl(),
                                        summary.finishDate, std::nullopt)
                        .failedRoots.empty());
        for (const auto& report : summary.summary(rootA).reports) {
            if (report.outcome != FileOutcome::failed) {
                atA.push_back(report.relativePath);
            }
        }
        filesSeen += tree.size();
        ++rounds;
    }

    // Read back against its hash lists, the drive is intact whatever the names; one changed
    // byte in a file whose name a list cannot hold is caught.
    DriveCheckResult check = DriveCheck::run(DriveCheckOptions{.root = rootA, .list = std::nullopt});
    EXPECT_TRUE(check.intact()) << (check.findings.empty()
                                        ? ""
                                        : check.findings[0].path + ": " + check.findings[0].detail);
    EXPECT_EQ(check.checked(), atA.size());
    EXPECT_TRUE(check.notCovered.empty()) << check.notCovered.front();
    const auto victim = std::find_if(atA.begin(), atA.end(), [&](const std::string& path) {
        return MHLReport::listedPath(path) != path && fs::file_size(rootA / path) > 0;
    });
    ASSERT_NE(victim, atA.end());
    {
        std::fstream file(rootA / *victim, std::ios::binary | std::ios::in | std::ios::out);
        const char byte = static_cast<char>(file.get());
        file.seekp(0);
        file.put(static_cast<char>(byte ^ 0x20));
    }
    check = DriveCheck::run(DriveCheckOptions{.root = rootA, .list = std::nullopt});
    EXPECT_EQ(check.count(DriveCheckStatus::changed), 1U);
    EXPECT_EQ(check.count(DriveCheckStatus::ok), atA.size() - 1);
    std::printf("hostile trees: %d rounds, %zu files\n", rounds, filesSeen);
}
