#include "stowline/AscMhlChain.h"

#include "StrictXml.h"

#include <algorithm>

namespace stowline::AscMhlChainFormat {
namespace {

/// Builds the entries from the element events; unknown elements are passed over.
class ChainBuilder final : public XmlHandler {
public:
    void startElement(std::string_view qualified, const std::vector<XmlAttribute>& attributes,
                      int line) override {
        const std::string_view name = localName(qualified);
        if (depth_ == 0 && name != "ascmhldirectory") {
            throw AscMhlError(line, "the root element is <" + std::string(name) + ">, not <ascmhldirectory>");
        }
        ++depth_;
        text_.clear();
        if (depth_ == 2 && name == "hashlist") {
            entry_ = AscMhlChainEntry{};
            entry_.line = line;
            std::string number;
            for (const auto& attribute : attributes) {
                if (localName(attribute.name) == "sequencenr") {
                    number = attribute.value;
                }
            }
            if (number.empty() || number.size() > 9 ||
                !std::all_of(number.begin(), number.end(), [](char c) { return c >= '0' && c <= '9'; }) ||
                std::stoll(number) < 1) {
                throw AscMhlError(line, "a <hashlist> without a positive sequencenr");
            }
            entry_.sequenceNumber = std::stoll(number);
        }
        if (depth_ == 2) {
            current_ = std::string(name);
        }
    }

    void text(std::string_view decoded) override {
        if (text_.size() + decoded.size() > XmlLimits{}.maximumTextBytes) {
            throw AscMhlError(entry_.line, "a text longer than the limit");
        }
        text_.append(decoded);
    }

    void endElement(std::string_view qualified) override {
        const std::string_view name = localName(qualified);
        if (depth_ == 3 && current_ == "hashlist") {
            if (name == "path") {
                entry_.path = text_;
            } else if (name == "c4") {
                entry_.c4 = text_;
            }
        } else if (depth_ == 2 && name == "hashlist") {
            if (entry_.path.empty() || entry_.c4.empty()) {
                throw AscMhlError(entry_.line, "a <hashlist> without a path or a c4");
            }
            entries_.push_back(std::move(entry_));
        }
        --depth_;
        text_.clear();
    }

    std::vector<AscMhlChainEntry> take() { return std::move(entries_); }

private:
    std::vector<AscMhlChainEntry> entries_;
    AscMhlChainEntry entry_;
    int depth_ = 0;
    std::string current_; ///< the open element at depth 2
    std::string text_;    ///< of the innermost open element
};

} // namespace

std::string render(const std::vector<AscMhlChainEntry>& entries) {
    std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                      "<ascmhldirectory xmlns=\"urn:ASC:MHL:DIRECTORY:v2.0\">\n";
    for (const auto& entry : entries) {
        out += "  <hashlist sequencenr=\"" + std::to_string(entry.sequenceNumber) + "\">\n";
        out += "    <path>" + AscMhlManifestFormat::escapedText(entry.path) + "</path>\n";
        out += "    <c4>" + AscMhlManifestFormat::escapedText(entry.c4) + "</c4>\n";
        out += "  </hashlist>\n";
    }
    out += "</ascmhldirectory>\n";
    return out;
}

std::vector<AscMhlChainEntry> parse(std::string_view document) {
    if (document.size() > maximumDocumentBytes) {
        throw AscMhlError(0,
                          "the chain is larger than " + std::to_string(maximumDocumentBytes >> 20) + " MiB");
    }
    ChainBuilder builder;
    try {
        tokenizeXml(document, builder);
    } catch (const XmlError& error) {
        throw AscMhlError(error.line(), error.detail());
    }
    return builder.take();
}

} // namespace stowline::AscMhlChainFormat
