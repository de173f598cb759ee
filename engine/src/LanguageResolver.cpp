#include "stowline/LanguageResolver.h"

#include "AsciiText.h"

#include <algorithm>
#include <string_view>

namespace stowline::LanguageResolver {
namespace {

// First non-empty piece of a "-"-separated tag, or the whole tag when it has none.
std::string primarySubtag(const std::string& tag) {
    std::size_t begin = tag.find_first_not_of('-');
    if (begin == std::string::npos) {
        return tag;
    }
    return tag.substr(begin, tag.find('-', begin) - begin);
}

} // namespace

SupportedLanguage resolve(std::optional<SupportedLanguage> override,
                          const std::vector<std::string>& preferred) {
    if (override) {
        return *override;
    }
    for (const auto& tag : preferred) {
        const std::string lowered = asciiLower(tag);
        for (auto language : allSupportedLanguages) {
            if (lowered == asciiLower(rawValue(language))) {
                return language;
            }
        }
        const std::string primary = primarySubtag(lowered);
        for (auto language : allSupportedLanguages) {
            if (primary == primarySubtag(asciiLower(rawValue(language)))) {
                return language;
            }
        }
    }
    return SupportedLanguage::ptBR;
}

std::vector<std::string> lprojCandidates(SupportedLanguage forLanguage,
                                         const std::vector<std::string>& available) {
    const std::string raw(rawValue(forLanguage));
    std::vector<std::string> candidates;
    if (std::find(available.begin(), available.end(), raw) != available.end()) {
        candidates.push_back(raw);
    }
    auto sameIgnoringCase = [&](const std::string& name) { return asciiLower(name) == asciiLower(raw); };
    if (auto found = std::find_if(available.begin(), available.end(), sameIgnoringCase);
        found != available.end()) {
        candidates.push_back(*found);
    }
    candidates.push_back(raw);
    candidates.push_back(asciiLower(raw));

    std::vector<std::string> unique;
    for (auto& candidate : candidates) {
        if (std::find(unique.begin(), unique.end(), candidate) == unique.end()) {
            unique.push_back(std::move(candidate));
        }
    }
    return unique;
}

} // namespace stowline::LanguageResolver
