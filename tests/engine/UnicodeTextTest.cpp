#include "stowline/UnicodeText.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

using namespace stowline;

namespace {

std::string utf8(std::initializer_list<char32_t> codePoints) {
    std::string out;
    for (char32_t c : codePoints) {
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += {static_cast<char>(0xC0 | (c >> 6)), static_cast<char>(0x80 | (c & 0x3F))};
        } else if (c < 0x10000) {
            out += {static_cast<char>(0xE0 | (c >> 12)), static_cast<char>(0x80 | ((c >> 6) & 0x3F)),
                    static_cast<char>(0x80 | (c & 0x3F))};
        } else {
            out += {static_cast<char>(0xF0 | (c >> 18)), static_cast<char>(0x80 | ((c >> 12) & 0x3F)),
                    static_cast<char>(0x80 | ((c >> 6) & 0x3F)), static_cast<char>(0x80 | (c & 0x3F))};
        }
    }
    return out;
}

// "0044 0307" -> UTF-8
std::string utf8FromHex(const std::string& hex) {
    std::string out;
    std::istringstream in(hex);
    std::string word;
    while (in >> word) {
        out += utf8({static_cast<char32_t>(std::stoul(word, nullptr, 16))});
    }
    return out;
}

// Lines of a Unicode test file, read plain or through bzcat; empty when unavailable.
std::vector<std::string> testFileLines(const std::string& path) {
    std::string command;
    if (std::filesystem::exists(path)) {
        command = "cat '" + path + "'";
    } else if (std::filesystem::exists(path + ".bz2") && std::filesystem::exists("/usr/bin/bzcat")) {
        command = "/usr/bin/bzcat '" + path + ".bz2'";
    } else {
        return {};
    }
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    std::vector<std::string> lines;
    if (!pipe) {
        return lines;
    }
    std::string line;
    for (int c; (c = std::fgetc(pipe.get())) != EOF;) {
        if (c == '\n') {
            lines.push_back(std::move(line));
            line.clear();
        } else {
            line += static_cast<char>(c);
        }
    }
    return lines;
}

const std::string kUcd = "/usr/share/unicode/";

} // namespace

// The conformance files below cover composition and cluster counting in full; these are
// the cases the files leave out: names as cards write them, and bytes that are not UTF-8.
TEST(UnicodeText, CardNamesAndInvalidBytes) {
    EXPECT_EQ(UnicodeText::nfc("Carta" + utf8({0x303}) + "o/A001C003.MOV"),
              "Cart" + utf8({0xE3}) + "o/A001C003.MOV");
    EXPECT_EQ(UnicodeText::nfc(""), "");
    EXPECT_EQ(UnicodeText::graphemeCount("Carta" + utf8({0x303}) + "o"), 6u);
    EXPECT_EQ(UnicodeText::graphemeCount(utf8({0x1F1E7, 0x1F1F7, 0x1F1F5})), 2u);

    // Invalid bytes pass through unchanged and block composition across them.
    const std::string latin1Name = "Cart\xE3o";
    EXPECT_EQ(UnicodeText::nfc(latin1Name), latin1Name);
    const std::string mixed = "a\xFF" + utf8({0x303}) + "\xC3" + "e" + utf8({0x301}) + "\xE2\x82";
    EXPECT_EQ(UnicodeText::nfc(mixed), "a\xFF" + utf8({0x303}) + "\xC3" + utf8({0xE9}) + "\xE2\x82");
    const std::string overlongSlash = "\xC0\xAF";
    EXPECT_EQ(UnicodeText::nfc(overlongSlash), overlongSlash);
    // Each ill-formed byte counts one, and a mark after one does not attach to it.
    EXPECT_EQ(UnicodeText::graphemeCount("\xE2\x82"
                                         "a"),
              3u);
    EXPECT_EQ(UnicodeText::graphemeCount("\xFF" + utf8({0x301})), 2u);
}

TEST(UnicodeText, AcceptsOnlyWellFormedUtf8) {
    EXPECT_TRUE(UnicodeText::isValidUtf8(""));
    EXPECT_TRUE(UnicodeText::isValidUtf8("Carta" + utf8({0x303, 0x1F44D, 0x10FFFF, 0xD7FF, 0xE000})));
    for (const std::string bad : {
             "\xC0\xAF",         // overlong '/'
             "\xE0\x80\xAF",     // overlong, three bytes
             "\xF0\x8F\xBF\xBF", // overlong, four bytes
             "\xED\xA0\x80",     // surrogate U+D800
             "\xED\xBF\xBF",     // surrogate U+DFFF
             "\xF4\x90\x80\x80", // U+110000
             "\xF5\x80\x80\x80", // lead byte beyond range
             "\xE2\x82",         // truncated
             "ok\xF0\x9F\x91",   // truncated at end
             "\x80",             // lone continuation
             "\xC3"
             "A", // continuation missing
         }) {
        EXPECT_FALSE(UnicodeText::isValidUtf8(bad)) << testing::PrintToString(bad);
    }
}

TEST(UnicodeText, MatchesTheUnicodeNormalizationTestCases) {
    const auto lines = testFileLines(kUcd + "NormalizationTest.txt");
    if (lines.empty()) {
        GTEST_SKIP() << "NormalizationTest.txt not installed (package unicode-data)";
    }
    std::set<char32_t> listedInPart1;
    bool inPart1 = false;
    std::size_t cases = 0;
    for (const auto& line : lines) {
        if (line.empty() || line[0] == '#') {
            continue;
        }
        if (line[0] == '@') {
            inPart1 = line.rfind("@Part1", 0) == 0;
            continue;
        }
        std::vector<std::string> columns;
        std::istringstream in(line);
        for (std::string column; columns.size() < 5 && std::getline(in, column, ';');) {
            columns.push_back(utf8FromHex(column));
        }
        ASSERT_EQ(columns.size(), 5u) << line;
        if (inPart1) {
            listedInPart1.insert(static_cast<char32_t>(std::stoul(line, nullptr, 16)));
        }
        EXPECT_EQ(UnicodeText::nfc(columns[0]), columns[1]) << line;
        EXPECT_EQ(UnicodeText::nfc(columns[1]), columns[1]) << line;
        EXPECT_EQ(UnicodeText::nfc(columns[2]), columns[1]) << line;
        EXPECT_EQ(UnicodeText::nfc(columns[3]), columns[3]) << line;
        EXPECT_EQ(UnicodeText::nfc(columns[4]), columns[3]) << line;
        ++cases;
    }
    EXPECT_GT(cases, 10000u);
    // Every code point the file does not list is its own composed form.
    for (char32_t c = 0x80; c <= 0x10FFFF; ++c) {
        if ((c >= 0xD800 && c <= 0xDFFF) || listedInPart1.count(c) != 0) {
            continue;
        }
        const std::string text = utf8({c});
        ASSERT_EQ(UnicodeText::nfc(text), text) << std::hex << static_cast<unsigned>(c);
    }
}

TEST(UnicodeText, MatchesTheUnicodeGraphemeBreakTestCases) {
    const auto lines = testFileLines(kUcd + "auxiliary/GraphemeBreakTest.txt");
    if (lines.empty()) {
        GTEST_SKIP() << "GraphemeBreakTest.txt not installed (package unicode-data)";
    }
    std::size_t cases = 0;
    for (const auto& line : lines) {
        const std::string rule = line.substr(0, line.find('#'));
        if (rule.find_first_not_of(" \t") == std::string::npos) {
            continue;
        }
        // "÷ 0020 × 0308 ÷": clusters are the breaks minus the one at the start.
        std::string text;
        std::size_t breaks = 0;
        std::istringstream in(rule);
        for (std::string word; in >> word;) {
            if (word == "\xC3\xB7") {
                ++breaks;
            } else if (word != "\xC3\x97") {
                text += utf8FromHex(word);
            }
        }
        EXPECT_EQ(UnicodeText::graphemeCount(text), breaks - 1) << line;
        ++cases;
    }
    EXPECT_GT(cases, 500u);
}
