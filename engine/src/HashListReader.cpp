#include "stowline/HashList.h"

#include "Utf8Scan.h"
#include "stowline/FileScanner.h"
#include "stowline/UniqueFd.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace stowline::HashListReader {
namespace {

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

bool isNameStart(char c) {
    const auto u = static_cast<unsigned char>(c);
    return (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || u == '_' || u == ':' || u >= 0x80;
}

bool isNameChar(char c) {
    return isNameStart(c) || (c >= '0' && c <= '9') || c == '-' || c == '.';
}

bool allowedInXml(char32_t cp) {
    return cp == 0x9 || cp == 0xA || cp == 0xD || (cp >= 0x20 && cp <= 0xD7FF) ||
           (cp >= 0xE000 && cp <= 0xFFFD) || (cp >= 0x10000 && cp <= 0x10FFFF);
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && isSpace(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && isSpace(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

/// Shows a piece of the document in a message without flooding it.
std::string excerpt(std::string_view text) {
    constexpr std::size_t shown = 40;
    std::string out = "'";
    out.append(text.substr(0, shown));
    if (text.size() > shown) {
        out += "...";
    }
    return out + "'";
}

/// What the tokenizer reports; the list builder below is the only implementation.
class XmlHandler {
public:
    virtual ~XmlHandler() = default;
    virtual void startElement(std::string_view name, int line) = 0;
    virtual void text(std::string_view decoded) = 0;
    virtual void endElement(std::string_view name) = 0;
};

/// A forward-only pass over a whole in-memory document. Every loop advances the position,
/// so the work is linear in the document's size; nothing is ever expanded beyond it.
class Tokenizer {
public:
    Tokenizer(std::string_view document, XmlHandler& handler) : doc_(document), handler_(handler) {}

    void run() {
        checkCharacters();
        if (doc_.starts_with("\xEF\xBB\xBF")) {
            pos_ = 3;
        }
        if (doc_.substr(pos_).starts_with("<?xml") && pos_ + 5 < doc_.size() &&
            (isSpace(doc_[pos_ + 5]) || doc_[pos_ + 5] == '?')) {
            declaration();
        }
        miscellany();
        if (pos_ >= doc_.size()) {
            fail(pos_, "no root element");
        }
        if (!isNameStart(peek(1)) || doc_[pos_] != '<') {
            fail(pos_, "expected the root element, found " + excerpt(doc_.substr(pos_)));
        }
        content();
        miscellany();
        if (pos_ < doc_.size()) {
            fail(pos_, "content after the end of the root element: " + excerpt(doc_.substr(pos_)));
        }
    }

    /// The line of `offset`. Counts on from the last answer when asked about a later offset,
    /// as the parse does for every element, so that the whole pass stays linear.
    [[nodiscard]] int lineAt(std::size_t offset) const {
        offset = std::min(offset, doc_.size());
        if (offset < countedTo_) {
            countedTo_ = 0;
            countedLine_ = 1;
        }
        countedLine_ +=
            static_cast<int>(std::count(doc_.begin() + static_cast<std::ptrdiff_t>(countedTo_),
                                        doc_.begin() + static_cast<std::ptrdiff_t>(offset), '\n'));
        countedTo_ = offset;
        return countedLine_;
    }

private:
    [[noreturn]] void fail(std::size_t offset, const std::string& what) const {
        throw HashListError(lineAt(offset), what);
    }

    [[nodiscard]] char peek(std::size_t ahead = 0) const {
        return pos_ + ahead < doc_.size() ? doc_[pos_ + ahead] : '\0';
    }
    [[nodiscard]] bool at(std::string_view text) const { return doc_.substr(pos_).starts_with(text); }

    void skipSpace() {
        while (pos_ < doc_.size() && isSpace(doc_[pos_])) {
            ++pos_;
        }
    }

    /// Moves past the next `terminator`; fails with `unclosed` when there is none.
    std::string_view until(std::string_view terminator, std::size_t start, const char* unclosed) {
        const std::size_t found = doc_.find(terminator, pos_);
        if (found == std::string_view::npos) {
            fail(start, unclosed);
        }
        std::string_view inside = doc_.substr(pos_, found - pos_);
        pos_ = found + terminator.size();
        return inside;
    }

    /// Only UTF-8, and only the characters XML 1.0 allows, anywhere in the document.
    void checkCharacters() const {
        for (std::size_t i = 0; i < doc_.size();) {
            const auto byte = static_cast<unsigned char>(doc_[i]);
            if (byte >= 0x20 && byte < 0x80) {
                ++i;
                continue;
            }
            const auto step = utf8scan::decode(doc_, i);
            if (!step.valid) {
                fail(i, "the document is not UTF-8 text");
            }
            if (!allowedInXml(step.codePoint)) {
                fail(i, "a character XML does not allow (code " + std::to_string(step.codePoint) + ")");
            }
            i += step.length;
        }
    }

    void declaration() {
        const std::size_t start = pos_;
        pos_ += 5;
        const std::string_view inside = until("?>", start, "the XML declaration is not closed");
        const std::size_t key = inside.find("encoding");
        if (key != std::string_view::npos) {
            std::string_view rest = trimmed(inside.substr(key + 8));
            if (rest.starts_with('=')) {
                rest = trimmed(rest.substr(1));
            }
            if (!rest.empty() && (rest.front() == '"' || rest.front() == '\'')) {
                const std::size_t close = rest.find(rest.front(), 1);
                std::string name(rest.substr(1, close == std::string_view::npos ? 0 : close - 1));
                std::transform(name.begin(), name.end(), name.begin(),
                               [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
                if (name != "utf-8" && name != "utf8" && name != "us-ascii") {
                    fail(start, "unsupported encoding " + excerpt(name) + " (only UTF-8 is read)");
                }
            }
        }
    }

    /// Comments, processing instructions and white space outside the root element. A
    /// document type declaration is refused: it is the only way into entity definitions
    /// and external resources, and no hash list needs one.
    void miscellany() {
        for (;;) {
            skipSpace();
            if (at("<!--")) {
                comment();
            } else if (at("<?")) {
                instruction();
            } else if (at("<!")) {
                fail(pos_, at("<!DOCTYPE") ? "document type declarations are not accepted"
                                           : "declarations are not accepted");
            } else {
                return;
            }
        }
    }

    void comment() {
        const std::size_t start = pos_;
        pos_ += 4;
        (void)until("-->", start, "a comment is not closed");
    }

    void instruction() {
        const std::size_t start = pos_;
        pos_ += 2;
        if (at("xml") && (isSpace(peek(3)) || peek(3) == '?')) {
            fail(start, "an XML declaration that is not at the start of the document");
        }
        (void)until("?>", start, "a processing instruction is not closed");
    }

    std::string_view name() {
        const std::size_t start = pos_;
        if (!isNameStart(peek())) {
            fail(pos_, "expected a name, found " + excerpt(doc_.substr(pos_, 1)));
        }
        while (pos_ < doc_.size() && isNameChar(doc_[pos_])) {
            ++pos_;
        }
        if (pos_ - start > maximumNameBytes) {
            fail(start, "a name longer than " + std::to_string(maximumNameBytes) + " bytes");
        }
        return doc_.substr(start, pos_ - start);
    }

    /// Appends the character of the entity or character reference at pos_ ('&').
    void reference(std::string& out) {
        const std::size_t start = pos_;
        const std::size_t semicolon = doc_.find(';', pos_);
        if (semicolon == std::string_view::npos || semicolon - pos_ > 12) {
            fail(start, "a '&' that does not start an entity (write it as &amp;)");
        }
        const std::string_view body = doc_.substr(pos_ + 1, semicolon - pos_ - 1);
        pos_ = semicolon + 1;
        if (body == "amp") {
            out += '&';
        } else if (body == "lt") {
            out += '<';
        } else if (body == "gt") {
            out += '>';
        } else if (body == "quot") {
            out += '"';
        } else if (body == "apos") {
            out += '\'';
        } else if (body.starts_with('#')) {
            const bool hex = body.size() > 1 && body[1] == 'x';
            const std::string_view digits = body.substr(hex ? 2 : 1);
            char32_t value = 0;
            bool good = !digits.empty() && digits.size() <= 8;
            for (char c : digits) {
                int digit = -1;
                if (c >= '0' && c <= '9') {
                    digit = c - '0';
                } else if (hex && c >= 'a' && c <= 'f') {
                    digit = c - 'a' + 10;
                } else if (hex && c >= 'A' && c <= 'F') {
                    digit = c - 'A' + 10;
                }
                if (digit < 0) {
                    good = false;
                    break;
                }
                value = value * (hex ? 16 : 10) + static_cast<char32_t>(digit);
            }
            if (!good || !allowedInXml(value)) {
                fail(start, "a bad character reference &" + std::string(body) + ";");
            }
            utf8scan::append(out, value);
        } else {
            fail(start, "unknown entity &" + std::string(body) + "; (only the five XML entities are known)");
        }
    }

    void startTag(std::vector<std::pair<std::string_view, std::size_t>>& open) {
        const std::size_t start = pos_;
        ++pos_;
        const std::string_view tag = name();
        for (;;) {
            const std::size_t before = pos_;
            skipSpace();
            if (at("/>") || at(">")) {
                break;
            }
            if (pos_ == before) {
                fail(pos_, "expected white space, '>' or '/>' in <" + std::string(tag) + ">");
            }
            (void)name();
            skipSpace();
            if (peek() != '=') {
                fail(pos_, "an attribute without a value in <" + std::string(tag) + ">");
            }
            ++pos_;
            skipSpace();
            const char quote = peek();
            if (quote != '"' && quote != '\'') {
                fail(pos_, "an attribute value without quotes in <" + std::string(tag) + ">");
            }
            const std::size_t valueStart = ++pos_;
            std::string ignored;
            while (pos_ < doc_.size() && doc_[pos_] != quote) {
                if (doc_[pos_] == '<') {
                    fail(pos_, "a '<' inside an attribute value");
                }
                if (doc_[pos_] == '&') {
                    reference(ignored);
                } else {
                    ++pos_;
                }
                if (pos_ - valueStart > maximumTextBytes) {
                    fail(valueStart, "an attribute value longer than the limit");
                }
            }
            if (pos_ >= doc_.size()) {
                fail(valueStart, "an attribute value is not closed");
            }
            ++pos_;
        }
        if (open.size() >= static_cast<std::size_t>(maximumDepth)) {
            fail(start, "elements nested deeper than " + std::to_string(maximumDepth) + " levels");
        }
        handler_.startElement(tag, lineAt(start));
        if (at("/>")) {
            pos_ += 2;
            handler_.endElement(tag);
        } else {
            ++pos_;
            open.emplace_back(tag, start);
        }
    }

    void endTag(std::vector<std::pair<std::string_view, std::size_t>>& open) {
        const std::size_t start = pos_;
        pos_ += 2;
        const std::string_view tag = name();
        skipSpace();
        if (peek() != '>') {
            fail(pos_, "expected '>' to end </" + std::string(tag) + ">");
        }
        ++pos_;
        const auto& [expected, openedAt] = open.back();
        if (tag != expected) {
            fail(start, "</" + std::string(tag) + "> does not close <" + std::string(expected) +
                            "> opened on line " + std::to_string(lineAt(openedAt)));
        }
        open.pop_back();
        handler_.endElement(tag);
    }

    /// Character data up to the next '<': references resolved, line ends normalised.
    void characterData() {
        const std::size_t start = pos_;
        std::string decoded;
        while (pos_ < doc_.size() && doc_[pos_] != '<') {
            const char c = doc_[pos_];
            if (c == '&') {
                reference(decoded);
                continue;
            }
            if (c == '\r') {
                decoded += '\n';
                pos_ += peek(1) == '\n' ? 2 : 1;
                continue;
            }
            decoded += c;
            ++pos_;
            if (pos_ - start > maximumTextBytes) {
                fail(start, "a text longer than " + std::to_string(maximumTextBytes) + " bytes");
            }
        }
        handler_.text(decoded);
    }

    /// The root element and everything inside it, with an explicit stack (no recursion).
    void content() {
        std::vector<std::pair<std::string_view, std::size_t>> open;
        startTag(open);
        while (!open.empty()) {
            if (pos_ >= doc_.size()) {
                fail(pos_, "the document ends inside <" + std::string(open.back().first) +
                               "> opened on line " + std::to_string(lineAt(open.back().second)));
            }
            if (doc_[pos_] != '<') {
                characterData();
            } else if (at("</")) {
                endTag(open);
            } else if (at("<!--")) {
                comment();
            } else if (at("<![CDATA[")) {
                const std::size_t start = pos_;
                pos_ += 9;
                const std::string_view inside = until("]]>", start, "a CDATA section is not closed");
                if (inside.size() > maximumTextBytes) {
                    fail(start, "a CDATA section longer than the limit");
                }
                handler_.text(inside);
            } else if (at("<!")) {
                fail(pos_, "declarations are not accepted inside elements");
            } else if (at("<?")) {
                instruction();
            } else {
                startTag(open);
            }
        }
    }

    std::string_view doc_;
    XmlHandler& handler_;
    std::size_t pos_ = 0;
    mutable std::size_t countedTo_ = 0; ///< lineAt's last offset
    mutable int countedLine_ = 1;       ///< and its line
};

std::optional<std::string> hexDigits(std::string_view text, std::size_t count) {
    if (text.size() != count) {
        return std::nullopt;
    }
    std::string lower;
    for (char c : text) {
        if (c >= 'A' && c <= 'F') {
            c = static_cast<char>(c - 'A' + 'a');
        }
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) {
            return std::nullopt;
        }
        lower += c;
    }
    return lower;
}

std::uint64_t reversedBytes(std::uint64_t value) {
    std::uint64_t out = 0;
    for (int i = 0; i < 8; ++i) {
        out = (out << 8) | (value & 0xFF);
        value >>= 8;
    }
    return out;
}

/// Builds the HashList from the element events. The root must be <hashlist>; <hash>
/// blocks are its children; anything it does not know is passed over.
class ListBuilder final : public XmlHandler {
public:
    /// Entries go to `sink` when given, else into the list.
    explicit ListBuilder(const EntrySink* sink = nullptr) : sink_(sink) {}

    void startElement(std::string_view name, int line) override {
        const std::size_t depth = path_.size();
        if (depth == 0 && name != "hashlist") {
            throw HashListError(line, "the root element is <" + std::string(name) + ">, not <hashlist>");
        }
        if (depth == 1 && name == "hash") {
            entry_ = HashListEntry{};
            entry_.line = line;
            seen_.clear();
        }
        if (depth == 3 && path_[1] == "hash") {
            throw HashListError(line,
                                "unexpected element <" + std::string(name) + "> inside <" + path_[2] + ">");
        }
        path_.emplace_back(name);
        text_.clear();
        line_ = line;
    }

    void text(std::string_view decoded) override {
        if (path_.size() == 3) {
            if (text_.size() + decoded.size() > maximumTextBytes) {
                throw HashListError(line_, "the text of <" + path_.back() + "> is longer than the limit");
            }
            text_.append(decoded);
        }
    }

    void endElement(std::string_view name) override {
        if (path_.size() == 3 && path_[1] == "hash") {
            field(name);
        } else if (path_.size() == 3 && path_[1] == "creatorinfo") {
            if (name == "startdate") {
                list_.startDate = parseDate(trimmed(text_));
            } else if (name == "finishdate") {
                list_.finishDate = parseDate(trimmed(text_));
            } else if (name == "log") {
                list_.incomplete = incompleteJobFromLog(text_);
            }
        } else if (path_.size() == 2 && name == "hash") {
            if (!seen_.contains("file") || entry_.file.empty()) {
                throw HashListError(entry_.line, "a <hash> block without a file name");
            }
            if (sink_ != nullptr) {
                (*sink_)(std::move(entry_));
            } else {
                list_.entries.push_back(std::move(entry_));
            }
        }
        path_.pop_back();
    }

    HashList take() { return std::move(list_); }

private:
    void field(std::string_view name) {
        const std::string key(name);
        if (!seen_.insert(key).second) {
            throw HashListError(line_, "two <" + key + "> elements in one <hash> block");
        }
        const std::string_view value = trimmed(text_);
        if (name == "file") {
            entry_.file = text_; // verbatim: spaces at either end belong to the name
        } else if (name == "size") {
            entry_.size = wholeNumber(value);
        } else if (name == "lastmodificationdate") {
            entry_.lastModificationDate = parseDate(value);
        } else if (name == "hashdate") {
            entry_.hashDate = parseDate(value);
        } else if (name == "creationdate") {
            // not compared: copies get a new creation date on most file systems
        } else if (name == "xxhash64be" || name == "xxhash64") {
            const auto digits = hexDigits(value, 16);
            if (!digits) {
                throw HashListError(line_,
                                    "<" + key + "> " + excerpt(value) + " is not 16 hexadecimal digits");
            }
            std::uint64_t parsed = std::stoull(*digits, nullptr, 16);
            // The older element holds the same eight bytes in little-endian order.
            parsed = name == "xxhash64" ? reversedBytes(parsed) : parsed;
            if (entry_.xxhash64 && *entry_.xxhash64 != parsed) {
                throw HashListError(line_, "<xxhash64> and <xxhash64be> disagree");
            }
            entry_.xxhash64 = parsed;
        } else if (name == "md5" || name == "sha1") {
            const auto digits = hexDigits(value, name == "md5" ? 32 : 40);
            if (!digits) {
                throw HashListError(line_,
                                    "<" + key + "> " + excerpt(value) + " has the wrong number of digits");
            }
            (name == "md5" ? entry_.md5 : entry_.sha1) = digits;
        } else {
            entry_.otherHashes.push_back(key);
        }
    }

    std::int64_t wholeNumber(std::string_view value) const {
        if (value.empty() || value.size() > 18 ||
            !std::all_of(value.begin(), value.end(), [](char c) { return c >= '0' && c <= '9'; })) {
            throw HashListError(line_, "size " + excerpt(value) + " is not a whole number of bytes");
        }
        return std::stoll(std::string(value));
    }

    const EntrySink* sink_;
    HashList list_;
    HashListEntry entry_;
    std::vector<std::string> path_; ///< names of the open elements, root first
    std::string text_;              ///< text of the open element at depth 3
    int line_ = 0;                  ///< where that element starts
    std::set<std::string> seen_;    ///< children already met in the current <hash>
};

} // namespace

std::optional<Date> parseDate(std::string_view text) {
    const auto number = [&](std::size_t at, std::size_t digits) -> int {
        if (at + digits > text.size()) {
            return -1;
        }
        int value = 0;
        for (std::size_t i = at; i < at + digits; ++i) {
            if (text[i] < '0' || text[i] > '9') {
                return -1;
            }
            value = value * 10 + (text[i] - '0');
        }
        return value;
    };
    if (text.size() < 19 || text[4] != '-' || text[7] != '-' || (text[10] != 'T' && text[10] != ' ') ||
        text[13] != ':' || text[16] != ':') {
        return std::nullopt;
    }
    const int year = number(0, 4), month = number(5, 2), day = number(8, 2);
    const int hour = number(11, 2), minute = number(14, 2), second = number(17, 2);
    // The clock counts nanoseconds in 64 bits: only years well inside its range are dates.
    if (year < 1900 || year > 2200 || month < 0 || day < 0 || hour < 0 || hour > 23 || minute < 0 ||
        minute > 59 || second < 0 || second > 60) {
        return std::nullopt;
    }
    const std::chrono::year_month_day date{std::chrono::year(year),
                                           std::chrono::month(static_cast<unsigned>(month)),
                                           std::chrono::day(static_cast<unsigned>(day))};
    if (!date.ok()) {
        return std::nullopt;
    }
    std::size_t at = 19;
    std::chrono::nanoseconds fraction{0};
    if (at < text.size() && text[at] == '.') {
        std::int64_t scale = 100'000'000;
        for (++at; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) {
            fraction += std::chrono::nanoseconds((text[at] - '0') * scale);
            scale /= 10;
        }
    }
    std::chrono::minutes offset{0};
    if (at < text.size() && text[at] == 'Z') {
        ++at;
    } else if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
        const int hours = number(at + 1, 2);
        const bool colon = at + 3 < text.size() && text[at + 3] == ':';
        const int minutes = number(at + (colon ? 4 : 3), 2);
        if (hours < 0 || hours > 23 || minutes < 0 || minutes > 59) {
            return std::nullopt;
        }
        offset = std::chrono::minutes((hours * 60 + minutes) * (text[at] == '-' ? -1 : 1));
        at += colon ? 6 : 5;
    }
    if (at != text.size()) {
        return std::nullopt;
    }
    const auto local = std::chrono::sys_days(date) + std::chrono::hours(hour) + std::chrono::minutes(minute) +
                       std::chrono::seconds(second);
    return std::chrono::time_point_cast<Date::duration>(local - offset + fraction);
}

namespace {

HashList parseInto(std::string_view document, const EntrySink* sink) {
    if (document.size() > maximumDocumentBytes) {
        throw HashListError(0, "the hash list is larger than " + std::to_string(maximumDocumentBytes >> 20) +
                                   " MiB");
    }
    ListBuilder builder(sink);
    Tokenizer(document, builder).run();
    return builder.take();
}

HashList readInto(const std::filesystem::path& path, const EntrySink* sink) {
    const auto failure = [&](const std::string& what, int errorNumber = 0) {
        return HashListError(0, what, path.string(), errorNumber);
    };
    // Non-blocking so that a FIFO given by mistake cannot hang the check.
    UniqueFd fd(retryOnEintr([&] { return ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK); }));
    if (!fd) {
        throw failure(std::strerror(errno), errno);
    }
    struct stat status {};
    if (::fstat(fd.get(), &status) != 0) {
        throw failure(std::strerror(errno), errno);
    }
    if (!S_ISREG(status.st_mode)) {
        throw failure("not a regular file");
    }
    if (static_cast<std::uint64_t>(status.st_size) > maximumDocumentBytes) {
        throw failure("larger than " + std::to_string(maximumDocumentBytes >> 20) + " MiB, not read");
    }
    std::string document(static_cast<std::size_t>(status.st_size), '\0');
    std::size_t filled = 0;
    for (;;) {
        if (filled == document.size()) {
            // The file may have grown since fstat; read on, within the limit.
            if (document.size() >= maximumDocumentBytes) {
                char probe = 0;
                if (retryOnEintr([&] { return ::read(fd.get(), &probe, 1); }) > 0) {
                    throw failure("larger than " + std::to_string(maximumDocumentBytes >> 20) +
                                  " MiB, not read");
                }
                break;
            }
            document.resize(std::min(maximumDocumentBytes, document.size() + 65536));
        }
        const ssize_t got = retryOnEintr(
            [&] { return ::read(fd.get(), document.data() + filled, document.size() - filled); });
        if (got < 0) {
            throw failure(std::strerror(errno), errno);
        }
        if (got == 0) {
            break;
        }
        filled += static_cast<std::size_t>(got);
    }
    document.resize(filled);
    try {
        return parseInto(document, sink);
    } catch (const HashListError& error) {
        throw HashListError(error.line(), error.detail(), path.string());
    }
}

} // namespace

HashList parse(std::string_view document) {
    return parseInto(document, nullptr);
}

HashList read(const std::filesystem::path& path) {
    return readInto(path, nullptr);
}

HashList read(const std::filesystem::path& path, const EntrySink& sink) {
    return readInto(path, &sink);
}

std::vector<std::filesystem::path> listsIn(const std::filesystem::path& folder, std::error_code& error) {
    std::vector<std::filesystem::path> lists;
    error.clear();
    for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end;
         it.increment(error)) {
        const std::string name = it->path().filename().string();
        std::string extension = it->path().extension().string();
        std::transform(extension.begin(), extension.end(), extension.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        // "._" files beside a list are another system's metadata, not lists.
        if (extension == ".mhl" && !FileScanner::isIgnored(name)) {
            lists.push_back(it->path());
        }
    }
    if (error) {
        return {};
    }
    std::sort(lists.begin(), lists.end());
    return lists;
}

} // namespace stowline::HashListReader
