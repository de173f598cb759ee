#include "stowline/LanguageResolver.h"

#include <gtest/gtest.h>

using namespace stowline;
using Strings = std::vector<std::string>;

TEST(SupportedLanguage, StoredValuesMatchExactly) {
    EXPECT_EQ(supportedLanguageFromRaw("pt-BR"), SupportedLanguage::ptBR);
    EXPECT_EQ(supportedLanguageFromRaw("en"), SupportedLanguage::en);
    for (const char* stored : {"EN", "de", "pt-br", "pt_BR", "en ", ""}) {
        EXPECT_EQ(supportedLanguageFromRaw(stored), std::nullopt) << stored;
    }
}

TEST(LanguageResolver, PreferenceOrderWinsOverTheKindOfMatch) {
    using enum SupportedLanguage;
    EXPECT_EQ(LanguageResolver::resolve(std::nullopt, {}), ptBR);
    EXPECT_EQ(LanguageResolver::resolve(std::nullopt, {"de-DE"}), ptBR);
    EXPECT_EQ(LanguageResolver::resolve(std::nullopt, {"de-DE", "en-US"}), en);
    EXPECT_EQ(LanguageResolver::resolve(std::nullopt, {"EN"}), en);
    EXPECT_EQ(LanguageResolver::resolve(std::nullopt, {"pt-PT"}), ptBR);
    EXPECT_EQ(LanguageResolver::resolve(std::nullopt, {"pt"}), ptBR);
    EXPECT_EQ(LanguageResolver::resolve(std::nullopt, {"fr-FR", "en-GB", "pt-BR"}), en);
    EXPECT_EQ(LanguageResolver::resolve(std::nullopt, {"PT-br", "en"}), ptBR);
    EXPECT_EQ(LanguageResolver::resolve(std::nullopt, {"--en--GB"}), en);      // empty pieces dropped
    EXPECT_EQ(LanguageResolver::resolve(std::nullopt, {"en_US", "de"}), ptBR); // "_" does not separate
    EXPECT_EQ(LanguageResolver::resolve(std::nullopt, {"", "-", "english"}), ptBR);
    EXPECT_EQ(LanguageResolver::resolve(en, {"pt-BR"}), en);
    EXPECT_EQ(LanguageResolver::resolve(ptBR, {"en-US", "en"}), ptBR);
}

TEST(LanguageResolver, CatalogCandidatesFindOddlyCasedFoldersWithoutDuplicates) {
    using enum SupportedLanguage;
    EXPECT_EQ(LanguageResolver::lprojCandidates(ptBR, {"en", "pt-br"}), (Strings{"pt-br", "pt-BR"}));
    EXPECT_EQ(LanguageResolver::lprojCandidates(en, {"en", "pt-BR"}), (Strings{"en"}));
    EXPECT_EQ(LanguageResolver::lprojCandidates(ptBR, {"en", "pt-BR"}), (Strings{"pt-BR", "pt-br"}));
    EXPECT_EQ(LanguageResolver::lprojCandidates(ptBR, {}), (Strings{"pt-BR", "pt-br"}));
    EXPECT_EQ(LanguageResolver::lprojCandidates(ptBR, {"PT-BR", "pt-Br", "pt-BR"}),
              (Strings{"pt-BR", "PT-BR", "pt-br"}));
    EXPECT_EQ(LanguageResolver::lprojCandidates(en, {"EN", "Base"}), (Strings{"EN", "en"}));
}
