#include "XmlTokenizer.h"

#include "StrictXml.h"
#include "stowline/HashList.h"

#include <cstddef>
#include <limits>

namespace stowline::hashlist {
namespace {

/// Passes the strict reader's elements on without their attributes, which a hash list
/// never needs.
class ElementsOnly : public stowline::XmlHandler {
public:
    explicit ElementsOnly(hashlist::XmlHandler& handler) : handler_(handler) {}
    void startElement(std::string_view name, const std::vector<XmlAttribute>&, int line) override {
        handler_.startElement(name, line);
    }
    void text(std::string_view decoded) override { handler_.text(decoded); }
    void endElement(std::string_view name) override { handler_.endElement(name); }

private:
    hashlist::XmlHandler& handler_;
};

} // namespace

void tokenizeXml(std::string_view document, XmlHandler& handler) {
    XmlLimits limits;
    limits.maximumDepth = HashListReader::maximumDepth;
    limits.maximumNameBytes = HashListReader::maximumNameBytes;
    limits.maximumTextBytes = HashListReader::maximumTextBytes;
    limits.maximumAttributes = std::numeric_limits<std::size_t>::max();
    ElementsOnly elements(handler);
    try {
        stowline::tokenizeXml(document, elements, limits);
    } catch (const XmlError& error) {
        throw HashListError(error.line(), error.detail());
    }
}

} // namespace stowline::hashlist
