#pragma once
#include "XmlHandler.h"

#include <string_view>

namespace stowline::hashlist {

/// Reads `document` as strict XML (UTF-8 only, the five predefined entities and character
/// references, comments, processing instructions and CDATA; no document type declaration,
/// so nothing is ever expanded beyond the document), reporting each element to `handler`.
/// Throws HashListError with the line of the first fault.
void tokenizeXml(std::string_view document, XmlHandler& handler);

} // namespace stowline::hashlist
