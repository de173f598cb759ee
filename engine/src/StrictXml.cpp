#include "StrictXml.h"

#include "Utf8Scan.h"

#include <algorithm>
#include <cctype>

namespace stowline {
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

/// A forward-only pass over a whole in-memory document. Every loop advances the position,
/// so the work is linear in the document's size; nothing is ever expanded beyond it.
class Tokenizer {
public:
    Tokenizer(std::string_view document, XmlHandler& handler, const XmlLimits& limits)
        : doc_(document), handler_(handler), limits_(limits) {}

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
        throw XmlError(lineAt(offset), what);
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
        if (pos_ - start > limits_.maximumNameBytes) {
            fail(start, "a name longer than " + std::to_string(limits_.maximumNameBytes) + " bytes");
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
        attributes_.clear();
        for (;;) {
            const std::size_t before = pos_;
            skipSpace();
            if (at("/>") || at(">")) {
                break;
            }
            if (pos_ == before) {
                fail(pos_, "expected white space, '>' or '/>' in <" + std::string(tag) + ">");
            }
            const std::string_view attributeName = name();
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
            std::string value;
            while (pos_ < doc_.size() && doc_[pos_] != quote) {
                if (doc_[pos_] == '<') {
                    fail(pos_, "a '<' inside an attribute value");
                }
                if (doc_[pos_] == '&') {
                    reference(value);
                } else {
                    // White space in a value is read as a space, as XML says.
                    value += isSpace(doc_[pos_]) ? ' ' : doc_[pos_];
                    ++pos_;
                }
                if (pos_ - valueStart > limits_.maximumTextBytes) {
                    fail(valueStart, "an attribute value longer than the limit");
                }
            }
            if (pos_ >= doc_.size()) {
                fail(valueStart, "an attribute value is not closed");
            }
            ++pos_;
            if (attributes_.size() >= limits_.maximumAttributes) {
                fail(valueStart, "more than " + std::to_string(limits_.maximumAttributes) +
                                     " attributes in <" + std::string(tag) + ">");
            }
            for (const auto& earlier : attributes_) {
                if (earlier.name == attributeName) {
                    fail(valueStart,
                         "two attributes " + std::string(attributeName) + " in <" + std::string(tag) + ">");
                }
            }
            attributes_.push_back({attributeName, std::move(value)});
        }
        if (open.size() >= static_cast<std::size_t>(limits_.maximumDepth)) {
            fail(start, "elements nested deeper than " + std::to_string(limits_.maximumDepth) + " levels");
        }
        handler_.startElement(tag, attributes_, lineAt(start));
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
                pos_ += peek(1) == '\n' ? 2U : 1U;
                continue;
            }
            decoded += c;
            ++pos_;
            if (pos_ - start > limits_.maximumTextBytes) {
                fail(start, "a text longer than " + std::to_string(limits_.maximumTextBytes) + " bytes");
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
                if (inside.size() > limits_.maximumTextBytes) {
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
    XmlLimits limits_;
    std::vector<XmlAttribute> attributes_; ///< of the start tag being read
    std::size_t pos_ = 0;
    mutable std::size_t countedTo_ = 0; ///< lineAt's last offset
    mutable int countedLine_ = 1;       ///< and its line
};

} // namespace

void tokenizeXml(std::string_view document, XmlHandler& handler, const XmlLimits& limits) {
    Tokenizer(document, handler, limits).run();
}

std::string_view localName(std::string_view name) {
    const std::size_t colon = name.rfind(':');
    return colon == std::string_view::npos ? name : name.substr(colon + 1);
}

} // namespace stowline
