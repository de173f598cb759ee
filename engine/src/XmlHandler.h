#pragma once
#include <string_view>

namespace stowline::hashlist {

/// What the tokenizer reports, element by element; the hash list builder is the only implementation.
class XmlHandler {
public:
    virtual ~XmlHandler() = default;
    virtual void startElement(std::string_view name, int line) = 0;
    virtual void text(std::string_view decoded) = 0;
    virtual void endElement(std::string_view name) = 0;
};

} // namespace stowline::hashlist
