#include "stowline/MHLReport.h"
#include "EngineTestSupport.h"
#include "ReportFixtures.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

using namespace stowline;
using namespace stowline::testing;

namespace {

const CreatorInfo creator{"Ana & <Crew>", "ana", "set-cart"};

// Empty when xmllint accepts the document, else its complaint.
std::string xmllintComplaint(const std::string& document) {
    const enginetest::TempFolder folder;
    const auto file = enginetest::writeFile(folder.path() / "list.mhl", document);
    const auto log = folder.path() / "log";
    const int status =
        std::system(("xmllint --noout '" + file.string() + "' 2> '" + log.string() + "'").c_str());
    return status == 0 ? std::string() : "xmllint failed: " + enginetest::readFile(log);
}

bool haveXmllint() {
    return std::system("command -v xmllint > /dev/null 2>&1") == 0;
}

} // namespace

TEST(MHLReport, ListsEveryFilePresentAtTheRootWithEscapedNames) {
    const std::string nfdCartao = "Carta\u0303o"; // decomposed, as other systems write it
    auto summary = summaryOf({
        verified("A001/" + nfdCartao + "/C0001.MOV", 4'294'967'297, "00ab34cd56ef7890"),
        failed("A001/C0002.MOV", FileErrorReason::copyFailed("Input/output error")),
        skipped("A001/Tom &amp; Jerry <1>.wav", 0, "ffffffffffffffff"),
        verified("A001/no-date.txt", 12, "0123456789abcdef", false),
    });
    const std::string expected = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                                 "<hashlist version=\"1.1\">\n"
                                 "  <creatorinfo>\n"
                                 "    <name>Ana &amp; &lt;Crew&gt;</name>\n"
                                 "    <username>ana</username>\n"
                                 "    <hostname>set-cart</hostname>\n"
                                 "    <tool>Stowline 1.0</tool>\n"
                                 "    <startdate>2024-03-05T14:07:09Z</startdate>\n"
                                 "    <finishdate>2024-03-05T14:10:16Z</finishdate>\n"
                                 "  </creatorinfo>\n"
                                 "  <hash>\n"
                                 "    <file>A001/" +
                                 nfdCartao +
                                 "/C0001.MOV</file>\n"
                                 "    <size>4294967297</size>\n"
                                 "    <lastmodificationdate>2024-03-04T14:07:09Z</lastmodificationdate>\n"
                                 "    <xxhash64be>00ab34cd56ef7890</xxhash64be>\n"
                                 "    <hashdate>2024-03-05T14:07:39Z</hashdate>\n"
                                 "  </hash>\n"
                                 "  <hash>\n"
                                 "    <file>A001/Tom &amp;amp; Jerry &lt;1&gt;.wav</file>\n"
                                 "    <size>0</size>\n"
                                 "    <lastmodificationdate>2024-03-04T14:07:09Z</lastmodificationdate>\n"
                                 "    <xxhash64be>ffffffffffffffff</xxhash64be>\n"
                                 "    <hashdate>2024-03-05T14:07:39Z</hashdate>\n"
                                 "  </hash>\n"
                                 "  <hash>\n"
                                 "    <file>A001/no-date.txt</file>\n"
                                 "    <size>12</size>\n"
                                 "    <xxhash64be>0123456789abcdef</xxhash64be>\n"
                                 "    <hashdate>2024-03-05T14:07:39Z</hashdate>\n"
                                 "  </hash>\n"
                                 "</hashlist>\n";
    EXPECT_EQ(MHLReport::render(summary, "Stowline 1.0", creator), expected);
}

TEST(MHLReport, WithoutPresentFilesOnlyTheHeaderAndCreatorRemain) {
    const std::string expected = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                                 "<hashlist version=\"1.1\">\n"
                                 "  <creatorinfo>\n"
                                 "    <name>Ana &amp; &lt;Crew&gt;</name>\n"
                                 "    <username>ana</username>\n"
                                 "    <hostname>set-cart</hostname>\n"
                                 "    <tool>T&lt;1&gt;</tool>\n"
                                 "    <startdate>2024-03-05T14:07:09Z</startdate>\n"
                                 "    <finishdate>2024-03-05T14:10:16Z</finishdate>\n"
                                 "  </creatorinfo>\n"
                                 "</hashlist>\n";
    EXPECT_EQ(MHLReport::render(summaryOf({}), "T<1>", creator), expected);
    EXPECT_EQ(MHLReport::render(summaryOf({failed("x", std::nullopt)}), "T<1>", creator), expected);
}

TEST(MHLReport, DatesAreUtcWholeSecondsTruncated) {
    using namespace std::chrono;
    EXPECT_EQ(MHLReport::isoDate(at(0) + milliseconds(999)), "2024-03-05T14:07:09Z");
    EXPECT_EQ(MHLReport::isoDate(Date{}), "1970-01-01T00:00:00Z");
    EXPECT_EQ(MHLReport::isoDate(Date{} - milliseconds(1)), "1969-12-31T23:59:59Z");
}

TEST(MHLReport, NamesXmlCannotCarryStayWellFormed) {
    // Tab, line feed and carriage return survive as references; what XML 1.0 forbids, and
    // bytes that are not UTF-8, become U+FFFD.
    EXPECT_EQ(MHLReport::xmlText("a\tb\nc\rd"), "a&#9;b&#10;c&#13;d");
    EXPECT_EQ(MHLReport::xmlText(std::string("x\x01y\x1F", 4) + std::string(1, '\0')),
              "x\uFFFDy\uFFFD\uFFFD");
    EXPECT_EQ(MHLReport::xmlText("\xC3\x28|\xED\xA0\x80|\xC0\xAF|\xEF\xBF\xBE|\xF0\x9F\x8E\xAC"),
              "\uFFFD(|\uFFFD\uFFFD\uFFFD|\uFFFD\uFFFD|\uFFFD|\U0001F3AC");
    EXPECT_EQ(MHLReport::xmlText("caf\xC3"), "caf\uFFFD"); // cut in the middle of a character
    EXPECT_EQ(MHLReport::xmlText("\"quotes' stay\""), "\"quotes' stay\"");

    if (!haveXmllint()) {
        GTEST_SKIP() << "xmllint is not installed";
    }
    auto summary = summaryOf({
        verified("line\nbreak.mov", 1, "0000000000000001"),
        verified(std::string("nul\0and\x1B"
                             "esc",
                             11),
                 2, "0000000000000002"),
        verified("latin1-\xE9t\xE9.wav", 3, "0000000000000003"),
        verified("&<>\"'\t\r.mov", 4, "0000000000000004"),
        verified("]]>&#0;\xEF\xBF\xBF\xED\xBF\xBF.mov", 5, "0000000000000005"),
    });
    CreatorInfo hostile{"Crew\x01", "user\xFF", "host\n"};
    const std::string document = MHLReport::render(summary, "Stowline 1.0", hostile);
    EXPECT_EQ(xmllintComplaint(document), "");
    EXPECT_NE(document.find("<file>line&#10;break.mov</file>"), std::string::npos);
    EXPECT_NE(document.find("<file>latin1-\uFFFDt\uFFFD.wav</file>"), std::string::npos);
}

TEST(MHLReport, CreatorFactsComeFromTheRunningAccount) {
    auto info = CreatorInfo::current();
    EXPECT_FALSE(info.userName.empty());
    EXPECT_FALSE(info.fullName.empty()); // the account name stands in for an empty full name
    EXPECT_EQ(info.fullName.find(','), std::string::npos);
    std::array<char, 256> host{};
    ASSERT_EQ(::gethostname(host.data(), host.size() - 1), 0);
    EXPECT_EQ(info.hostName, host.data());
}
