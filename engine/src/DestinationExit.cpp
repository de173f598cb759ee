#include "stowline/DestinationExit.h"

#include <charconv>

namespace stowline {
namespace {

constexpr std::string_view prefix = "incomplete: ";
constexpr std::string_view cancelledWord = "cancelled";

/// Takes a whole decimal number off the front of `text`.
std::optional<std::int64_t> number(std::string_view& text) {
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc{} || value < 0) {
        return std::nullopt;
    }
    text.remove_prefix(static_cast<std::size_t>(end - text.data()));
    return value;
}

bool take(std::string_view& text, std::string_view word) {
    if (!text.starts_with(word)) {
        return false;
    }
    text.remove_prefix(word.size());
    return true;
}

} // namespace

std::string logText(const IncompleteJob& job) {
    const std::string reason =
        job.exit.reason ? std::string(toText(*job.exit.reason)) : std::string(cancelledWord);
    return std::string(prefix) + reason + " after " + std::to_string(job.exit.afterFiles) + " of " +
           std::to_string(job.fileCount) + " files";
}

std::optional<IncompleteJob> incompleteJobFromLog(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; };
    while (!text.empty() && blank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && blank(text.back())) {
        text.remove_suffix(1);
    }
    if (!take(text, prefix)) {
        return std::nullopt;
    }
    const auto space = text.find(' ');
    if (space == std::string_view::npos) {
        return std::nullopt;
    }
    IncompleteJob job;
    const std::string_view reason = text.substr(0, space);
    if (reason != cancelledWord) {
        job.exit.reason = copyFailureReasonFromText(reason);
        if (!job.exit.reason) {
            return std::nullopt;
        }
    }
    text.remove_prefix(space);
    const auto after = take(text, " after ") ? number(text) : std::nullopt;
    const auto of = after && take(text, " of ") ? number(text) : std::nullopt;
    if (!of || text != " files") {
        return std::nullopt;
    }
    job.exit.afterFiles = *after;
    job.fileCount = *of;
    return job;
}

} // namespace stowline
