#include "stowline/TextReport.h"

#include "Utf8Scan.h"
#include "stowline/ByteFormat.h"
#include "stowline/TemplateFormat.h"
#include "stowline/UnicodeText.h"

#include <array>
#include <cstdio>
#include <ctime>
#include <variant>

namespace stowline::TextReport {
namespace {

constexpr std::string_view middleDot = "\u00B7";
constexpr std::string_view crossMark = "\u2717";
constexpr std::string_view emDash = "\u2014";
constexpr std::string_view checkMark = "\u2713";
constexpr std::string_view skipArrow = "\u21B7";

constexpr std::size_t pathColumn = 44;
constexpr std::size_t sizeColumn = 9;

// Fills with spaces on the right up to `width` user-perceived characters; wider text stays whole.
std::string padded(std::string text, std::size_t width) {
    const std::size_t count = UnicodeText::graphemeCount(text);
    if (count < width) {
        text.append(width - count, ' ');
    }
    return text;
}

std::string localDateTime(Date date) {
    const std::time_t seconds =
        std::chrono::system_clock::to_time_t(std::chrono::floor<std::chrono::seconds>(date));
    std::tm parts{};
    if (::localtime_r(&seconds, &parts) == nullptr) {
        return {};
    }
    std::array<char, 32> text{};
    std::size_t length = std::strftime(text.data(), text.size(), "%d/%m/%Y %H:%M", &parts);
    return std::string(text.data(), length);
}

std::string countPhrase(const std::function<std::string(std::int64_t)>& phrase, std::int64_t count) {
    return phrase ? phrase(count) : std::to_string(count);
}

void appendEscape(std::string& out, const char* format, unsigned value) {
    std::array<char, 12> text{};
    int length = std::snprintf(text.data(), text.size(), format, value);
    out.append(text.data(), static_cast<std::size_t>(length));
}

/// The line saying that this drive holds only part of the job, or nothing when it held on.
std::optional<std::string> incompleteLine(const RootSummary& share, const std::filesystem::path& root,
                                          const TextReportStrings& strings, const std::string& locale) {
    const auto exit = share.exitOf(root);
    const JobSummary& summary = share.facts();
    if (!exit || summary.fileCount == 0) { // a summary that does not know its job's size
        return std::nullopt;
    }
    const std::string* words = &strings.incompleteCancelled;
    if (exit->reason) {
        switch (*exit->reason) {
        case CopyFailureReason::cancelledOutOfSpace:
            words = &strings.incompleteDropped;
            break;
        case CopyFailureReason::destinationDisconnected:
            words = &strings.incompleteDisconnected;
            break;
        case CopyFailureReason::destinationOutOfSpace:
            words = &strings.incompleteOutOfSpace;
            break;
        case CopyFailureReason::destinationUnreachable:
        case CopyFailureReason::destinationWriteFailed:
            words = &strings.incompleteFailed;
            break;
        }
    }
    if (words->empty()) {
        return std::nullopt;
    }
    return TemplateFormat::format(*words,
                                  {ByteFormat::whole(static_cast<double>(exit->afterFiles), locale),
                                   ByteFormat::whole(static_cast<double>(summary.fileCount), locale)});
}

} // namespace

std::string visibleText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        const auto step = utf8scan::decode(text, at);
        const char32_t cp = step.codePoint;
        if (!step.valid) {
            appendEscape(out, "\\x%02X", static_cast<unsigned char>(text[at]));
        } else if (cp == '\t') {
            out += "\\t";
        } else if (cp == '\n') {
            out += "\\n";
        } else if (cp == '\r') {
            out += "\\r";
        } else if (cp < 0x20 || cp == 0x7F) {
            appendEscape(out, "\\x%02X", static_cast<unsigned>(cp));
        } else if ((cp >= 0x80 && cp <= 0x9F) || cp == 0x2028 || cp == 0x2029) {
            appendEscape(out, "\\u%04X", static_cast<unsigned>(cp));
        } else {
            out.append(text.substr(at, step.length));
        }
        at += step.length;
    }
    return out;
}

std::string errorText(const std::optional<FileErrorReason>& reason, const TextReportStrings& strings) {
    if (!reason) {
        return strings.errorUnknown;
    }
    return std::visit(
        [&](const auto& detail) -> std::string {
            using Detail = std::decay_t<decltype(detail)>;
            if constexpr (std::is_same_v<Detail, FileErrorReason::RejectedDestinations>) {
                return TemplateFormat::format(strings.errorRejectedDestinations, {visibleText(detail.names)});
            } else if constexpr (std::is_same_v<Detail, FileErrorReason::HashMismatchAfterRecopy>) {
                return TemplateFormat::format(strings.errorHashMismatch,
                                              {visibleText(detail.destinationPath)});
            } else if constexpr (std::is_same_v<Detail, FileErrorReason::CopyFailed>) {
                const std::string words = detail.cause && strings.describeCause
                                              ? strings.describeCause(*detail.cause)
                                              : detail.systemMessage;
                return TemplateFormat::format(strings.errorCopyFailed, {visibleText(words)});
            } else if constexpr (std::is_same_v<Detail, FileErrorReason::NoDestinationAvailable>) {
                return strings.errorNoDestinationAvailable;
            } else {
                return strings.errorNoDestinationForFile;
            }
        },
        reason->value);
}

namespace {

/// The document's lines, each sent on as it is made: a card's report is never held whole.
class Lines {
public:
    explicit Lines(const TextSink& out) : out_(out) {}
    void operator()(std::string_view line) {
        buffer_.assign(line).append("\n");
        out_(buffer_);
    }

private:
    const TextSink& out_;
    std::string buffer_;
};

void writeHeading(Lines& emit, const JobSummary& summary, const TextReportStrings& strings,
                  const std::string& locale) {
    emit(strings.title);
    const double seconds = std::chrono::duration<double>(summary.finishDate - summary.startDate).count();
    const std::string separator = std::string("  ") + std::string(middleDot) + "  ";
    emit(strings.date + ": " + localDateTime(summary.startDate) + separator + strings.duration + ": " +
         ByteFormat::duration(seconds) + separator + strings.averageSpeed + ": " +
         ByteFormat::whole(summary.averageBytesPerSecond / 1'000'000.0, locale) + " MB/s");
    emit("");
}

void writeRoots(Lines& emit, const RootSummary& share, const std::vector<std::filesystem::path>& sources,
                const std::filesystem::path& destinationRoot, const TextReportStrings& strings,
                const std::string& locale) {
    const std::size_t labelWidth = std::max(UnicodeText::graphemeCount(strings.source),
                                            UnicodeText::graphemeCount(strings.destination)) +
                                   3;
    for (const auto& source : sources) {
        emit(padded(strings.source + ":", labelWidth) + visibleText(source.string()));
    }
    emit(padded(strings.destination + ":", labelWidth) + visibleText(destinationRoot.string()));
    if (auto incomplete = incompleteLine(share, destinationRoot, strings, locale)) {
        emit(*incomplete);
    }
    emit("");
}

void writeErrors(Lines& emit, const RootSummary& share, const TextReportStrings& strings) {
    emit(strings.errorsHeader);
    share.forEachReport([&](const FileReport& report) {
        if (report.outcome == FileOutcome::failed) {
            emit(std::string("  ") + std::string(crossMark) + "  " + visibleText(report.relativePath) + " " +
                 std::string(emDash) + " " + errorText(report.errorDescription, strings));
        }
    });
    for (const auto& [root, failures] : share.facts().folderFailures) {
        for (const auto& failure : failures) {
            const std::string words =
                strings.describeCause ? strings.describeCause(failure.cause) : failure.message;
            emit(std::string("  ") + std::string(crossMark) + "  " + visibleText(failure.relativePath) +
                 "/ " + std::string(emDash) + " " + visibleText(words));
        }
    }
    emit("");
}

void writeFiles(Lines& emit, const RootSummary& share, const TextReportStrings& strings,
                const std::string& locale) {
    share.forEachReport([&](const FileReport& report) {
        if (report.outcome == FileOutcome::failed) {
            return;
        }
        const bool skipped = report.outcome == FileOutcome::skipped;
        std::string line = std::string("  ") + std::string(skipped ? skipArrow : checkMark) + "  " +
                           padded(visibleText(report.relativePath), pathColumn) + "  " +
                           padded(ByteFormat::string(report.size, locale), sizeColumn) +
                           "  xxHash64: " + std::string(report.hashHex.view());
        if (skipped) {
            line += "  " + strings.alreadyExisted;
        }
        emit(line);
    });
    emit("");
}

void writeHistories(Lines& emit, const JobSummary& summary, const TextReportStrings& strings) {
    bool anyHistory = false;
    for (const auto& [root, histories] : summary.ascMhlByRoot) {
        for (const auto& history : histories) {
            anyHistory = true;
            for (const auto& manifest : history.manifests) {
                emit(TemplateFormat::format(strings.ascMhlWritten, {visibleText(manifest.string())}));
            }
            if (history.manifests.empty()) {
                emit(
                    TemplateFormat::format(strings.ascMhlNotWritten, {visibleText(history.folder.string())}));
            }
            for (const auto& note : history.notes) {
                emit(TemplateFormat::format(strings.ascMhlNote, {visibleText(note)}));
            }
            if (!history.leftOut.empty()) {
                emit(strings.ascMhlLeftOut);
                for (const auto& path : history.leftOut) {
                    emit("  " + visibleText(path));
                }
            }
        }
    }
    if (anyHistory) {
        emit("");
    }
}

void writeClosing(Lines& emit, const RootSummary& share, const JobSummary::Tally& tally,
                  const TextReportStrings& strings, const std::string& locale, std::int64_t errors) {
    const JobSummary& summary = share.facts();
    const std::string verdict = errors > 0
                                    ? TemplateFormat::format(strings.verdictErrors, {std::to_string(errors)})
                                    : strings.verdictIntact;
    emit(TemplateFormat::format(strings.summary,
                                {countPhrase(strings.filesCount, share.reportCount()),
                                 ByteFormat::string(summary.totalBytes, locale),
                                 countPhrase(strings.verifiedCount, tally.verified + tally.skipped),
                                 countPhrase(strings.errorsCount, errors), verdict}));
    if (summary.cancelled) {
        emit(strings.cancelled);
    }
}

} // namespace

std::string render(const RootSummary& summary, const std::vector<std::filesystem::path>& sources,
                   const std::filesystem::path& destinationRoot, const TextReportStrings& strings) {
    std::string document;
    render(summary, sources, destinationRoot, strings,
           [&document](std::string_view piece) { document.append(piece); });
    return document;
}

void render(const RootSummary& share, const std::vector<std::filesystem::path>& sources,
            const std::filesystem::path& destinationRoot, const TextReportStrings& strings,
            const TextSink& out) {
    const std::string locale = ByteFormat::locale(); // one locale for the whole document
    Lines emit(out);
    writeHeading(emit, share.facts(), strings, locale);
    writeRoots(emit, share, sources, destinationRoot, strings, locale);
    // A folder that could not be made is an error too: the card's structure is not whole here.
    const JobSummary::Tally tally = share.tally();
    const std::int64_t errors = tally.failed + tally.folderFailures;
    if (errors > 0) {
        writeErrors(emit, share, strings);
    }
    writeFiles(emit, share, strings, locale);
    writeHistories(emit, share.facts(), strings);
    writeClosing(emit, share, tally, strings, locale, errors);
}

} // namespace stowline::TextReport
