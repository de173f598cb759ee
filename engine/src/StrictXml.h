#pragma once
// A small strict XML reader for the ASC MHL histories the engine reads: UTF-8 only,
// the five predefined entities and character references, comments, processing instructions
// and CDATA; no document type declaration at all (so no entity expansion and no external
// access), bounded in name, text and nesting. Forward-only over a document held in memory.
#include <cstddef>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace stowline {

/// Why a document is not well-formed (or breaks a limit): what, and on which line.
class XmlError : public std::runtime_error {
public:
    XmlError(int line, const std::string& detail)
        : std::runtime_error("line " + std::to_string(line) + ": " + detail), line_(line), detail_(detail) {}
    [[nodiscard]] int line() const { return line_; }
    [[nodiscard]] const std::string& detail() const { return detail_; }

private:
    int line_;
    std::string detail_;
};

/// One attribute of a start tag, its value with references resolved.
struct XmlAttribute {
    std::string_view name;
    std::string value;
};

/// What the tokenizer reports, in document order. Handlers may throw to stop the read.
class XmlHandler {
public:
    virtual ~XmlHandler() = default;
    virtual void startElement(std::string_view name, const std::vector<XmlAttribute>& attributes,
                              int line) = 0;
    /// Character data (references resolved, line ends normalised); may come in several pieces.
    virtual void text(std::string_view decoded) = 0;
    virtual void endElement(std::string_view name) = 0;
};

struct XmlLimits {
    int maximumDepth = 32;                    ///< element nesting
    std::size_t maximumNameBytes = 256;       ///< element and attribute names
    std::size_t maximumTextBytes = 64u << 10; ///< one piece of text or one attribute value
    std::size_t maximumAttributes = 64;       ///< of one start tag
};

/// Reads `document` to the end, reporting to `handler`. Throws XmlError for anything that
/// is not well-formed or breaks `limits`. The work is linear in the document's size.
void tokenizeXml(std::string_view document, XmlHandler& handler, const XmlLimits& limits = {});

/// `name` without a namespace prefix ("a:b" gives "b").
[[nodiscard]] std::string_view localName(std::string_view name);

} // namespace stowline
