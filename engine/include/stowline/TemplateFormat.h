#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace stowline {

/// Fills a catalog template with texts that are already formatted.
namespace TemplateFormat {

/// Replaces %1 … %9 (and the catalogs' localised form %L1 … %L9) with arguments[0] …
/// arguments[8], in one pass: substituted texts are never scanned again, so a "%2" inside a
/// file name stays as it is. A placeholder without a matching argument, "%n", "%%" and any
/// other "%" are left untouched, as the catalogs' own lookup leaves them. Any thread.
[[nodiscard]] std::string format(std::string_view templateText, const std::vector<std::string>& arguments);

} // namespace TemplateFormat
} // namespace stowline
