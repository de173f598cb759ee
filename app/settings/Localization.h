#pragma once
#include "stowline/SupportedLanguage.h"

#include <QString>
#include <QStringList>

#include <optional>

/// The process-wide interface language and its catalog. Main thread.
namespace Localization {

/// The user's explicit choice, loaded once from the preference "appLanguageOverride".
[[nodiscard]] std::optional<stowline::SupportedLanguage> override();
/// Stores the choice (removes the key for none) and calls refresh().
void setOverride(std::optional<stowline::SupportedLanguage> language);

/// The active language; Portuguese until the first refresh().
[[nodiscard]] stowline::SupportedLanguage current();

/// Re-resolves the language from the override and the system's preferred languages,
/// loads its catalog from the bundle (one standard-error line when none is found) and
/// sets ByteFormat's locale.
void refresh();

/// The preferred languages refresh() uses: QLocale::system().uiLanguages() unless a test
/// replaced them.
void setPreferredLanguagesForTesting(std::optional<QStringList> languages);

/// "pt_BR" or "en_US".
[[nodiscard]] QString localeName();

} // namespace Localization
