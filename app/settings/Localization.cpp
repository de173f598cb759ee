#include "settings/Localization.h"

#include "settings/Preferences.h"
#include "settings/ResourceBundle.h"
#include "stowline/ByteFormat.h"
#include "stowline/LanguageResolver.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace Localization {
namespace {

const QString overrideKey = QStringLiteral("appLanguageOverride");

struct State {
    std::optional<std::optional<stowline::SupportedLanguage>> override; // outer: loaded yet
    stowline::SupportedLanguage current = stowline::SupportedLanguage::ptBR;
    std::unique_ptr<QTranslator> catalog;
    std::unique_ptr<QTranslator> qtCatalog; ///< Qt's own texts, installed in the application
    std::optional<QStringList> preferredForTesting;
};

State& state() {
    static State s;
    return s;
}

std::optional<stowline::SupportedLanguage> loadOverride() {
    const QVariant stored = Preferences::store().value(overrideKey);
    if (!stored.isValid()) {
        return std::nullopt;
    }
    return stowline::supportedLanguageFromRaw(stored.toString().toStdString());
}

std::vector<std::string> preferredLanguages() {
    const QStringList tags =
        state().preferredForTesting ? *state().preferredForTesting : QLocale::system().uiLanguages();
    std::vector<std::string> result;
    result.reserve(static_cast<std::size_t>(tags.size()));
    for (const QString& tag : tags) {
        result.push_back(tag.toStdString());
    }
    return result;
}

// The bundle's catalog folders ("<name>.lproj"), by name without the extension.
std::vector<std::string> localisations(const QDir& bundle) {
    std::vector<std::string> names;
    const QStringList folders =
        bundle.entryList({QStringLiteral("*.lproj")}, QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString& folder : folders) {
        names.push_back(folder.chopped(6).toStdString());
    }
    return names;
}

QString joined(const std::vector<std::string>& items) {
    QStringList list;
    for (const std::string& item : items) {
        list << QString::fromStdString(item);
    }
    return list.join(QStringLiteral(", "));
}

// A catalog folder "opens" when it exists and its catalog file loads.
std::unique_ptr<QTranslator> openCatalog(const QDir& bundle, const std::string& candidate) {
    const QString folder = bundle.filePath(QString::fromStdString(candidate) + QStringLiteral(".lproj"));
    if (!QFileInfo(folder).isDir()) {
        return nullptr;
    }
    auto translator = std::make_unique<QTranslator>();
    if (!translator->load(QDir(folder).filePath(QString::fromLatin1(catalogFileName)))) {
        return nullptr;
    }
    return translator;
}

void reportMissingCatalog(stowline::SupportedLanguage language, const std::vector<std::string>& candidates,
                          const std::vector<std::string>& available) {
    const QString line = QStringLiteral("Stowline: catálogo .lproj não encontrado para ") +
                         QString::fromUtf8(stowline::rawValue(language)) + QStringLiteral(". Tentados: ") +
                         joined(candidates) + QStringLiteral(". ") + QStringLiteral("Bundle informa: ") +
                         joined(available) + QStringLiteral(". ") +
                         QStringLiteral("A interface vai seguir o idioma do sistema.") + QLatin1Char('\n');
    const QByteArray bytes = line.toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stderr);
    std::fflush(stderr);
}

// Qt's own dialogs and buttons ("Look in:", "Cancel") speak the active language too: Qt's
// catalog for it is installed beside ours, and replaced on every refresh. Installing or
// removing it sends every widget a LanguageChange.
void loadQtCatalog(State& s) {
    if (QCoreApplication::instance() == nullptr) {
        return;
    }
    if (s.qtCatalog) {
        QCoreApplication::removeTranslator(s.qtCatalog.get());
        s.qtCatalog.reset();
    }
    if (s.current == stowline::SupportedLanguage::en) {
        return; // Qt's texts are English already
    }
    auto translator = std::make_unique<QTranslator>();
    const QString name = QStringLiteral("qtbase_") + localeName();
    if (translator->load(name, QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QCoreApplication::installTranslator(translator.get());
        s.qtCatalog = std::move(translator);
    }
}

} // namespace

std::optional<stowline::SupportedLanguage> override() {
    State& s = state();
    if (!s.override) {
        s.override = loadOverride();
    }
    return *s.override;
}

void setOverride(std::optional<stowline::SupportedLanguage> language) {
    QSettings& store = Preferences::store();
    if (language) {
        store.setValue(overrideKey, QString::fromUtf8(stowline::rawValue(*language)));
    } else {
        store.remove(overrideKey);
    }
    Preferences::save();
    state().override = language;
    refresh();
}

void setOverrideForThisProcess(std::optional<stowline::SupportedLanguage> language) {
    state().override = language;
    refresh();
}

stowline::SupportedLanguage current() {
    return state().current;
}

void refresh() {
    State& s = state();
    s.current = stowline::LanguageResolver::resolve(override(), preferredLanguages());

    const QDir bundle(ResourceBundle::path());
    const std::vector<std::string> available = localisations(bundle);
    const std::vector<std::string> candidates =
        stowline::LanguageResolver::lprojCandidates(s.current, available);
    s.catalog.reset();
    for (const std::string& candidate : candidates) {
        s.catalog = openCatalog(bundle, candidate);
        if (s.catalog) {
            break;
        }
    }
    // Without a catalog every lookup gives its key back; the window stays usable.
    if (!s.catalog) {
        reportMissingCatalog(s.current, candidates, available);
    }

    const std::string identifier(stowline::localeIdentifier(s.current));
    stowline::ByteFormat::setLocale(identifier);
    QLocale::setDefault(QLocale(QString::fromStdString(identifier)));
    loadQtCatalog(s);
}

void setPreferredLanguagesForTesting(std::optional<QStringList> languages) {
    state().preferredForTesting = std::move(languages);
}

void reloadOverrideForTesting() {
    state().override.reset();
}

QString localeName() {
    return QString::fromUtf8(stowline::localeIdentifier(state().current));
}

const QTranslator* catalog() {
    return state().catalog.get();
}

} // namespace Localization
