#pragma once
#include "stowline/SupportedLanguage.h"

#include <QString>
#include <QStringList>

#include <optional>

class QTranslator;

/// The process-wide interface language and its catalog. Main thread.
namespace Localization {

/// The user's explicit choice, loaded once from the preference "appLanguageOverride"
/// (exact raw value "pt-BR" or "en"; anything else is no override).
[[nodiscard]] std::optional<stowline::SupportedLanguage> override();
/// Stores the choice (removes the key for none) and calls refresh().
void setOverride(std::optional<stowline::SupportedLanguage> language);
/// Uses `language` as the override for this process only (nothing is stored; none ignores
/// a stored choice) and calls refresh(). For tools that take the language as an argument.
void setOverrideForThisProcess(std::optional<stowline::SupportedLanguage> language);

/// The active language; Portuguese until the first refresh().
[[nodiscard]] stowline::SupportedLanguage current();

/// Re-resolves the language from the override and the system's preferred languages,
/// loads its catalog from the bundle (one standard-error line when none is found) and
/// sets ByteFormat's locale and QLocale's default to the language's locale.
void refresh();

/// The preferred languages refresh() uses: QLocale::system().uiLanguages() unless a test
/// replaced them.
void setPreferredLanguagesForTesting(std::optional<QStringList> languages);
/// Forgets the cached override so that the next read loads it from the store again.
void reloadOverrideForTesting();

/// "pt_BR" or "en_US".
[[nodiscard]] QString localeName();

/// The active language's loaded catalog, or null when none was found (lookups then give
/// the keys back).
[[nodiscard]] const QTranslator* catalog();

/// The catalog's context (every message lives in it) and the catalog file's name inside
/// each "<language>.lproj" folder.
inline constexpr const char* catalogContext = "Stowline";
inline constexpr const char* catalogFileName = "Stowline.qm";

} // namespace Localization
