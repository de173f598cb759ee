#pragma once
#include "stowline/SupportedLanguage.h"

#include <optional>
#include <string>
#include <vector>

namespace stowline {

/// Pure functions choosing the interface language and its catalog folder.
namespace LanguageResolver {

/// The override when given; else the first preferred tag matching a language (whole tag,
/// then primary subtag); else Portuguese.
[[nodiscard]] SupportedLanguage resolve(std::optional<SupportedLanguage> override,
                                        const std::vector<std::string>& preferred);

/// Catalog folder names to try, in order, without duplicates.
[[nodiscard]] std::vector<std::string> lprojCandidates(SupportedLanguage forLanguage,
                                                       const std::vector<std::string>& available);

} // namespace LanguageResolver
} // namespace stowline
