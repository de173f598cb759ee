#include "stowline/SupportedLanguage.h"

namespace stowline {

std::string_view rawValue(SupportedLanguage language) {
    return language == SupportedLanguage::ptBR ? "pt-BR" : "en";
}

std::string_view localeIdentifier(SupportedLanguage language) {
    return language == SupportedLanguage::ptBR ? "pt_BR" : "en_US";
}

std::string_view displayName(SupportedLanguage language) {
    return language == SupportedLanguage::ptBR ? "Portugu\u00EAs" : "English";
}

std::optional<SupportedLanguage> supportedLanguageFromRaw(std::string_view raw) {
    for (auto language : allSupportedLanguages) {
        if (rawValue(language) == raw) {
            return language;
        }
    }
    return std::nullopt;
}

} // namespace stowline
