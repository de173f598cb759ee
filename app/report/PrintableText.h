#pragma once
#include <QString>

#include <string_view>

/// Names and messages as a printed report shows them. Any thread.
namespace PrintableText {

/// `bytes` escaped as the text report escapes them (controls, C1 codes and bytes that are
/// not UTF-8 become \t, \n, \r, \xHH or \uHHHH), and the invisible marks that reorder
/// right-to-left text (embeddings, overrides, isolates, direction marks) as \uHHHH too, so
/// that no name can make another part of a line read in a different order. Right-to-left
/// letters themselves stay.
[[nodiscard]] QString fromBytes(std::string_view bytes);

} // namespace PrintableText
