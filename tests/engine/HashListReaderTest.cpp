#include "EngineTestSupport.h"
#include "ReportFixtures.h"
#include "stowline/HashList.h"
#include "stowline/MHLReport.h"

#include <gtest/gtest.h>

#include <fstream>

#include <sys/stat.h>

using namespace stowline;
using namespace stowline::testing;
namespace fs = std::filesystem;

namespace {

// The message of the error parse() throws, or "" when it parses.
std::string parseError(std::string_view document, int* line = nullptr) {
    try {
        (void)HashListReader::parse(document);
    } catch (const HashListError& error) {
        if (line != nullptr) {
            *line = error.line();
        }
        return error.what();
    }
    return "";
}

std::string wrap(std::string_view body) {
    return std::string("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<hashlist version=\"1.1\">\n") +
           std::string(body) + "\n</hashlist>\n";
}

TEST(HashListReaderTest, readsBackWhatOurWriterWrites) {
    // Names that need escaping, references, replacement and non-ASCII letters.
    const std::vector<std::string> names{"A001/C0001.MXF", "A & B/<clip>.mov", "line\nbreak\tand\rreturn.mov",
                                         "Cart\xC3\xA3o/\xE6\x97\xA5.mov", " padded .mov"};
    std::vector<FileReport> reports;
    for (std::size_t i = 0; i < names.size(); ++i) {
        reports.push_back(verified(names[i], static_cast<std::int64_t>(i) << 33,
                                   "00ff00ff00ff00f" + std::to_string(i), i != 1));
    }
    reports.push_back(failed("failed.mov", std::nullopt));
    reports.push_back(verified("bad\x01\xFFname", 1, "0123456789abcdef"));
    const std::string document =
        MHLReport::render(summaryOf(reports), "Stowline 1.0", {"Jo & Al", "jo", "host<1>"});

    const HashList list = HashListReader::parse(document);
    EXPECT_EQ(list.startDate, at(0));
    EXPECT_EQ(list.finishDate, at(187));
    ASSERT_EQ(list.entries.size(), names.size() + 1);
    for (std::size_t i = 0; i < names.size(); ++i) {
        const HashListEntry& entry = list.entries[i];
        EXPECT_EQ(entry.file, names[i]);
        EXPECT_EQ(entry.size, static_cast<std::int64_t>(i) << 33);
        EXPECT_EQ(entry.xxhash64, 0x00ff00ff00ff00f0u + i);
        EXPECT_EQ(entry.hashDate, at(30));
        EXPECT_EQ(entry.lastModificationDate.has_value(), i != 1);
        EXPECT_TRUE(entry.otherHashes.empty() && !entry.md5 && !entry.sha1);
    }
    // What XML cannot hold comes back as U+FFFD: the list still reads, the name is marked.
    EXPECT_EQ(list.entries.back().file, "bad\xEF\xBF\xBD\xEF\xBF\xBDname");
}

TEST(HashListReaderTest, readsListsOfOtherTools) {
    const std::string document =
        "\xEF\xBB\xBF<?xml version='1.0' encoding='utf-8'?>\r\n"
        "<!-- written elsewhere -->\r\n"
        "<?stylesheet href=\"x\"?>\r\n"
        "<hashlist version=\"1.1\" note=\"a &amp; b\">\r\n"
        "  <creatorinfo><name>x</name><finishdate>2024-03-05T15:07:09+01:00</finishdate></creatorinfo>\r\n"
        "  <hash>\r\n"
        "    <file>A &amp; B&#10;&#x41;&#233;.mov</file>\r\n"
        "    <size> 42 </size>\r\n"
        "    <creationdate>2020-01-01T00:00:00Z</creationdate>\r\n"
        "    <xxhash64>EFCDAB8967452301</xxhash64>\r\n"
        "    <md5>D41D8CD98F00B204E9800998ECF8427E</md5>\r\n"
        "    <sha1>da39a3ee5e6b4b0d3255bfef95601890afd80709</sha1>\r\n"
        "    <hashdate>2024-03-05T14:07:09.250Z</hashdate>\r\n"
        "  </hash>\r\n"
        "  <hash><file><![CDATA[x<&>y.mov]]></file><xxhash>1234abcd</xxhash><null/></hash>\r\n"
        "  <hash><file>two\r\nlines</file><xxhash64be>0123456789ABCDEF</xxhash64be>"
        "<xxhash64>efcdab8967452301</xxhash64></hash>\r\n"
        "</hashlist>\r\n<!-- trailing -->\r\n";
    const HashList list = HashListReader::parse(document);
    EXPECT_EQ(list.finishDate, at(0));
    ASSERT_EQ(list.entries.size(), 3u);
    const HashListEntry& first = list.entries[0];
    EXPECT_EQ(first.file, "A & B\nA\xC3\xA9.mov");
    EXPECT_EQ(first.size, 42);
    EXPECT_EQ(first.xxhash64, 0x0123456789abcdefu); // little-endian digits, bytes reversed
    EXPECT_EQ(first.md5, "d41d8cd98f00b204e9800998ecf8427e");
    EXPECT_EQ(first.sha1, "da39a3ee5e6b4b0d3255bfef95601890afd80709");
    EXPECT_EQ(first.hashDate, at(0) + std::chrono::milliseconds(250));
    EXPECT_EQ(first.line, 6);
    EXPECT_EQ(list.entries[1].file, "x<&>y.mov");
    EXPECT_FALSE(list.entries[1].xxhash64);
    EXPECT_EQ(list.entries[1].otherHashes, (std::vector<std::string>{"xxhash", "null"}));
    EXPECT_EQ(list.entries[2].file, "two\nlines"); // a literal CR LF is a line feed in XML
    EXPECT_EQ(list.entries[2].xxhash64, 0x0123456789abcdefu);
}

// Broken and hostile documents alike: refused with the line and the fault, nothing expanded,
// nothing looked up elsewhere, nesting and lengths bounded.
TEST(HashListReaderTest, malformedAndHostileDocumentsNameTheLineAndTheFault) {
    struct Case {
        std::string document;
        std::string message;
        int line;
    };
    // Nested entity definitions: refused at the declaration, nothing expanded.
    std::string bomb = "<?xml version=\"1.0\"?>\n<!DOCTYPE hashlist [\n<!ENTITY a \"aaaaaaaaaa\">\n";
    for (char name = 'b'; name <= 'j'; ++name) {
        bomb += std::string("<!ENTITY ") + name + " \"";
        for (int j = 0; j < 10; ++j) {
            bomb += std::string("&") + static_cast<char>(name - 1) + ";";
        }
        bomb += "\">\n";
    }
    bomb += "]>\n<hashlist><hash><file>&j;</file></hash></hashlist>\n";
    std::string deep = "<hashlist>";
    for (int i = 0; i < 200000; ++i) {
        deep += "<a>";
    }
    const std::vector<Case> cases{
        {"", "no root element", 1},
        {"just text", "expected the root element", 1},
        {"<hashlist>\n<hash>\n<file>a</file>\n", "ends inside <hash> opened on line 2", 4},
        {"<hashlist>\n<hash><file>a</hash>\n</hashlist>", "</hash> does not close <file>", 2},
        {wrap("<hash><file>a &amp b</file></hash>"), "does not start an entity", 3},
        {wrap("<hash><file>&eacute;</file></hash>"), "unknown entity &eacute;", 3},
        {wrap("<hash><file>&#0;</file></hash>"), "bad character reference", 3},
        {wrap("<hash><file>&#xD800;</file></hash>"), "bad character reference", 3},
        {wrap("<hash><file>&#x;</file></hash>"), "bad character reference", 3},
        {wrap("<hash><file>a\x01</file></hash>"), "a character XML does not allow", 3},
        {wrap("<hash><file>\xC3(</file></hash>"), "not UTF-8", 3},
        {wrap("<hash><file a=b>x</file></hash>"), "without quotes", 3},
        {wrap("<hash><file a=\"<\">x</file></hash>"), "'<' inside an attribute", 3},
        {wrap("<hash><file>x</file><!-- open </hash>"), "comment is not closed", 3},
        {wrap("<hash><file>x</file></hash>") + "<hashlist/>", "after the end of the root element", 5},
        {"<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><hashlist/>", "unsupported encoding", 1},
        {"<mhl/>", "not <hashlist>", 1},
        {wrap("<hash><size>1</size></hash>"), "without a file name", 3},
        {wrap("<hash><file>a</file><file>b</file></hash>"), "two <file> elements", 3},
        {wrap("<hash><file>a<b>c</b></file></hash>"), "unexpected element <b> inside <file>", 3},
        {wrap("<hash><file>a</file><size>-1</size></hash>"), "not a whole number", 3},
        {wrap("<hash><file>a</file><size>99999999999999999999</size></hash>"), "not a whole number", 3},
        {wrap("<hash><file>a</file><xxhash64be>0123</xxhash64be></hash>"), "not 16 hexadecimal digits", 3},
        {wrap("<hash><file>a</file><xxhash64be>0123456789abcdeg</xxhash64be></hash>"), "not 16 hexadecimal",
         3},
        {wrap("<hash><file>a</file><md5>abc</md5></hash>"), "wrong number of digits", 3},
        {wrap("<hash><file>a</file><xxhash64be>0000000000000001</xxhash64be>"
              "<xxhash64>0000000000000001</xxhash64></hash>"),
         "disagree", 3},
        {wrap("<hash><file>a</file></hash>\n<?xml version=\"1.0\"?>"), "not at the start", 4},
        {bomb, "document type declarations are not accepted", 2},
        {"<!DOCTYPE hashlist SYSTEM \"file:///etc/passwd\"><hashlist/>", "document type", 1},
        {"<hashlist><!ENTITY x \"y\"></hashlist>", "declarations are not accepted", 1},
        {deep, "nested deeper than 32", 1},
        {"<hashlist><" + std::string(300, 'n') + "/></hashlist>", "name longer", 1},
        {wrap("<hash><file>" + std::string(70000, 'x') + "</file></hash>"), "text longer", 3},
        {wrap("<hash><file>" + std::string(40000, 'x') + "<![CDATA[" + std::string(40000, 'y') +
              "]]></file></hash>"),
         "longer than the limit", 3},
    };
    for (const auto& c : cases) {
        int line = -1;
        const std::string message = parseError(c.document, &line);
        EXPECT_NE(message.find(c.message), std::string::npos)
            << "document: " << c.document.substr(0, 200) << "\nmessage: " << message;
        EXPECT_EQ(line, c.line) << c.document.substr(0, 200);
    }
    std::string atLimit = "<hashlist>";
    for (int i = 1; i < HashListReader::maximumDepth; ++i) {
        atLimit += "<a>";
    }
    for (int i = 1; i < HashListReader::maximumDepth; ++i) {
        atLimit += "</a>";
    }
    EXPECT_EQ(parseError(atLimit + "</hashlist>"), "");
}

TEST(HashListReaderTest, readRefusesHugeSpecialAndMissingFilesUnread) {
    const enginetest::TempFolder temp;
    const fs::path& folder = temp.path();

    const fs::path huge = folder / "huge.mhl";
    { std::ofstream(huge) << "<hashlist>"; }
    fs::resize_file(huge, std::uintmax_t{1} << 30); // sparse: no gigabyte is written or read
    const fs::path fifo = folder / "fifo.mhl";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const fs::path good = folder / "good.mhl";
    { std::ofstream(good) << wrap("<hash><file>a</file></hash>"); }

    const auto readError = [](const fs::path& path) {
        try {
            (void)HashListReader::read(path);
        } catch (const HashListError& error) {
            return std::string(error.what());
        }
        return std::string();
    };
    EXPECT_NE(readError(huge).find("huge.mhl: larger than 256 MiB"), std::string::npos);
    EXPECT_NE(readError(fifo).find("not a regular file"), std::string::npos);
    EXPECT_NE(readError(folder / "absent.mhl").find("No such file"), std::string::npos);
    EXPECT_NE(readError(folder).find("not a regular file"), std::string::npos);
    EXPECT_EQ(HashListReader::read(good).entries.at(0).file, "a");
}

TEST(HashListReaderTest, datesInTheFormsListsUse) {
    using HashListReader::parseDate;
    EXPECT_EQ(parseDate("2024-03-05T14:07:09Z"), at(0));
    EXPECT_EQ(parseDate("2024-03-05T14:07:09"), at(0));
    EXPECT_EQ(parseDate("2024-03-05T16:07:09+02:00"), at(0));
    EXPECT_EQ(parseDate("2024-03-05T12:37:09-0130"), at(0));
    EXPECT_EQ(parseDate("2024-03-05T14:07:09.5Z"), at(0) + std::chrono::milliseconds(500));
    for (const char* bad :
         {"", "2024-03-05", "2024-02-30T00:00:00Z", "2024-03-05T24:00:00Z", "2024-03-05T14:07:09Q",
          "2024-03-05T14:07:09+1", "yyyy-03-05T14:07:09Z", "9999-12-31T23:59:59Z", "0001-01-01T00:00:00Z"}) {
        EXPECT_FALSE(parseDate(bad)) << bad;
    }
}

} // namespace
