#pragma once
#include <array>
#include <optional>
#include <string_view>

namespace stowline {

/// The interface languages, in resolution order.
enum class SupportedLanguage { ptBR, en };

inline constexpr std::array<SupportedLanguage, 2> allSupportedLanguages{SupportedLanguage::ptBR,
                                                                        SupportedLanguage::en};

/// "pt-BR" or "en".
[[nodiscard]] std::string_view rawValue(SupportedLanguage language);
/// "pt_BR" or "en_US".
[[nodiscard]] std::string_view localeIdentifier(SupportedLanguage language);
/// The language's own name: "Português", "English".
[[nodiscard]] std::string_view displayName(SupportedLanguage language);
/// Exact, case-sensitive match of a raw value; anything else gives none.
[[nodiscard]] std::optional<SupportedLanguage> supportedLanguageFromRaw(std::string_view raw);

} // namespace stowline
