#include "stowline/TextReport.h"
#include "ReportFixtures.h"
#include "stowline/ByteFormat.h"
#include "stowline/TemplateFormat.h"

#include <gtest/gtest.h>

using namespace stowline;
using namespace stowline::testing;

namespace {

std::string spaces(std::size_t count) {
    return std::string(count, ' ');
}

struct ReportEnvironment {
    UtcZone zone;
    std::string savedLocale = ByteFormat::locale();
    explicit ReportEnvironment(const char* locale) { ByteFormat::setLocale(locale); }
    ~ReportEnvironment() { ByteFormat::setLocale(savedLocale); }
};

} // namespace

TEST(TemplateFormat, SubstitutesPositionallyInOnePass) {
    EXPECT_EQ(TemplateFormat::format("%2 of %1", {"a", "b"}), "b of a");
    EXPECT_EQ(TemplateFormat::format("%L1 files", {"1.234"}), "1.234 files");
    EXPECT_EQ(TemplateFormat::format("%1 then %3", {"a"}), "a then %3");
    EXPECT_EQ(TemplateFormat::format("100%% %n %x %", {"a"}), "100%% %n %x %");
    EXPECT_EQ(TemplateFormat::format("%1-%2", {"%2", "b"}), "%2-b"); // a name holding "%2" stays itself
    EXPECT_EQ(TemplateFormat::format("%10", {"a"}), "a0");
}

TEST(TextReport, EnglishReportWithSkippedAndEveryKindOfFailure) {
    ReportEnvironment environment("en_US");
    auto summary = summaryOf({
        verified("A001/Carta\u0303o/C0001.MOV", 1'536'000'000, "00ab34cd56ef7890"), // decomposed ã
        skipped("A001/Tom & <Jerry>.wav", 2'500, "ffffffffffffffff"),
        failed("A001/C0003.MOV", FileErrorReason::copyFailed("Input/output error")),
        failed("A001/C0004.MOV", FileErrorReason::hashMismatchAfterRecopy("/mnt/Backup/A001/C0004.MOV")),
        failed("A001/C0005.MOV", FileErrorReason::rejectedDestinations("Backup, Shuttle")),
        failed("A001/C0006.MOV", FileErrorReason::noDestinationAvailable()),
        failed("A001/C0007.MOV", FileErrorReason::noDestinationForFile()),
        failed("A001/C0008.MOV", std::nullopt),
        verified("A001/a-very-long-folder-name/and-a-longer-file-name.braw", 999'999'999'999,
                 "0123456789abcdef"),
    });
    const std::string expected =
        "Stowline transfer report\n"
        // 152.5 MB/s is a tie: it rounds to the even 152.
        "Date: 05/03/2024 14:07  \u00B7  Duration: 3m 7s  \u00B7  Average speed: 152 MB/s\n"
        "\n"
        "Source:       /media/CARD A001\n"
        "Source:       /home/ana/Cart\u00E3o\n"
        "Destination:  /mnt/Backup & <1>\n"
        "\n"
        "Errors:\n"
        "  \u2717  A001/C0003.MOV \u2014 copy failed: Input/output error\n"
        "  \u2717  A001/C0004.MOV \u2014 checksum mismatch after re-copy at /mnt/Backup/A001/C0004.MOV\n"
        "  \u2717  A001/C0005.MOV \u2014 rejected destinations: Backup, Shuttle\n"
        "  \u2717  A001/C0006.MOV \u2014 no destination available\n"
        "  \u2717  A001/C0007.MOV \u2014 no destination for this file\n"
        "  \u2717  A001/C0008.MOV \u2014 unknown error\n"
        "\n"
        "  \u2713  A001/Carta\u0303o/C0001.MOV" +
        spaces(23) + "  1.5 GB" + spaces(3) +
        "  xxHash64: 00ab34cd56ef7890\n"
        "  \u21B7  A001/Tom & <Jerry>.wav" +
        spaces(22) + "  2 KB" + spaces(5) +
        "  xxHash64: ffffffffffffffff  (already existed)\n"
        "  \u2713  A001/a-very-long-folder-name/and-a-longer-file-name.braw  1000.0 GB  xxHash64: "
        "0123456789abcdef\n"
        "\n"
        "9 files \u00B7 1.0 TB \u00B7 3 verified \u00B7 6 errors \u2014 6 file(s) with errors.\n";
    EXPECT_EQ(TextReport::render(summary, {"/media/CARD A001", "/home/ana/Cart\u00E3o"}, "/mnt/Backup & <1>",
                                 englishStrings()),
              expected);
}

TEST(TextReport, PortugueseCleanCancelledReport) {
    ReportEnvironment environment("pt_BR");
    auto summary = summaryOf({
        verified("Cart\u00E3o/C0001.MOV", 1'000'000'000, "00ab34cd56ef7890"),
        verified("B.wav", 999'999, "0000000000000001"),
    });
    summary.totalBytes = 5'000'000'000'000; // files never reached still count
    summary.finishDate = summary.startDate + std::chrono::seconds(3900);
    summary.averageBytesPerSecond = 0;
    summary.cancelled = true;
    const std::string expected =
        "Relat\u00F3rio de transfer\u00EAncia Stowline\n"
        "Data: 05/03/2024 14:07  \u00B7  Dura\u00E7\u00E3o: 1h 5m  \u00B7  "
        "Velocidade m\u00E9dia: 0 MB/s\n"
        "\n"
        "Origem:   /media/CARD A001\n"
        "Destino:  /mnt/Backup\n"
        "\n"
        "  \u2713  Cart\u00E3o/C0001.MOV" +
        spaces(28) + "  1,0 GB" + spaces(3) +
        "  xxHash64: 00ab34cd56ef7890\n"
        "  \u2713  B.wav" +
        spaces(39) + "  1000 KB" + spaces(2) +
        "  xxHash64: 0000000000000001\n"
        "\n"
        "2 arquivos \u00B7 5,0 TB \u00B7 2 verificados \u00B7 0 erros \u2014 Todos os arquivos "
        "\u00EDntegros.\n"
        "Transfer\u00EAncia cancelada pelo usu\u00E1rio.\n";
    EXPECT_EQ(TextReport::render(summary, {"/media/CARD A001"}, "/mnt/Backup", portugueseStrings()),
              expected);
}

TEST(TextReport, EmptyAndAllFailedJobsKeepTheirBlankLines) {
    ReportEnvironment environment("en_US");
    EXPECT_EQ(TextReport::render(summaryOf({}), {"/src"}, "/dst", englishStrings()),
              "Stowline transfer report\n"
              "Date: 05/03/2024 14:07  \u00B7  Duration: 3m 7s  \u00B7  Average speed: 152 MB/s\n"
              "\n"
              "Source:       /src\n"
              "Destination:  /dst\n"
              "\n"
              "\n"
              "0 files \u00B7 0 B \u00B7 0 verified \u00B7 0 errors \u2014 All files intact.\n");

    ByteFormat::setLocale("pt_BR");
    auto allFailed = summaryOf({failed("a.mov", FileErrorReason::noDestinationForFile())});
    EXPECT_EQ(
        TextReport::render(allFailed, {"/src"}, "/dst", portugueseStrings()),
        "Relat\u00F3rio de transfer\u00EAncia Stowline\n"
        "Data: 05/03/2024 14:07  \u00B7  Dura\u00E7\u00E3o: 3m 7s  \u00B7  Velocidade m\u00E9dia: 152 MB/s\n"
        "\n"
        "Origem:   /src\n"
        "Destino:  /dst\n"
        "\n"
        "Erros:\n"
        "  \u2717  a.mov \u2014 nenhum destino para este arquivo\n"
        "\n"
        "\n"
        "1 arquivo \u00B7 10 B \u00B7 0 verificados \u00B7 1 erro \u2014 1 arquivo(s) com erro.\n");
}

TEST(TextReport, StrangeNamesStayOnTheirOwnLineAndVisible) {
    ReportEnvironment environment("en_US");
    auto summary = summaryOf({
        verified("evil\nname.mov", 1, "0000000000000001"),
        verified("tab\there\r.mov", 2, "0000000000000002"),
        verified("bell\x07-latin1-\xE9-sep\u2028-c1\u0085.mov", 3, "0000000000000003"),
        failed("%2 odd.mov", FileErrorReason::copyFailed("disk %1 gone\n")),
    });
    const std::string report = TextReport::render(summary, {"/src\nx"}, "/dst", englishStrings());
    EXPECT_NE(report.find("/src\\nx\n"), std::string::npos);
    EXPECT_NE(report.find("  \u2713  evil\\nname.mov" + spaces(30) + "  1 B"), std::string::npos);
    EXPECT_NE(report.find("  \u2713  tab\\there\\r.mov  "), std::string::npos);
    EXPECT_NE(report.find("  \u2713  bell\\x07-latin1-\\xE9-sep\\u2028-c1\\u0085.mov"), std::string::npos);
    EXPECT_NE(report.find("  \u2717  %2 odd.mov \u2014 copy failed: disk %1 gone\\n\n"), std::string::npos);
    // Exactly one line per file: title, date, blank, source, destination, blank, errors
    // header, one error, blank, three files, blank, summary.
    EXPECT_EQ(std::count(report.begin(), report.end(), '\n'), 14);
    EXPECT_EQ(TextReport::visibleText("plain \\ C:\\ stays"), "plain \\ C:\\ stays");
}

TEST(TextReport, ColumnsCountUserPerceivedCharacters) {
    ReportEnvironment environment("en_US");
    const std::string nfd = "Carta\u0303o/\U0001F1E7\U0001F1F7.MOV"; // 12 user-perceived characters
    auto report =
        TextReport::render(summaryOf({verified(nfd, 5, "0000000000000005")}), {"/s"}, "/d", englishStrings());
    EXPECT_NE(report.find("  \u2713  " + nfd + spaces(32) + "  5 B" + spaces(6) + "  xxHash64:"),
              std::string::npos)
        << report;
}
