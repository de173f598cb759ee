#include "settings/Appearance.h"

#include "settings/Localization.h"
#include "settings/ReportSettings.h"
#include "settings/ThemeMode.h"

namespace {

QString codeOf(stowline::SupportedLanguage language) {
    const std::string_view raw = stowline::rawValue(language);
    return QString::fromUtf8(raw.data(), static_cast<qsizetype>(raw.size()));
}

} // namespace

Appearance::Appearance(QObject* parent)
    : QObject(parent), isLight_(ThemeMode::isLight()), writesMHL_(ReportSettings::writesMHL()),
      writesText_(ReportSettings::writesText()), writesPDF_(ReportSettings::writesPDF()),
      writesAscMhl_(ReportSettings::writesAscMhl()), ascMhlFormats_(ReportSettings::ascMhlFormats()),
      language_(Localization::current()), languageOverride_(Localization::override()) {}

QString Appearance::languageCode() const {
    return codeOf(language_);
}

QString Appearance::languageOverrideCode() const {
    return languageOverride_ ? codeOf(*languageOverride_) : QString();
}

void Appearance::set(bool light) {
    if (light == isLight_) {
        return;
    }
    ThemeMode::setLight(light);
    isLight_ = light;
    emit isLightChanged();
}

void Appearance::toggleMHL() {
    const bool on = !writesMHL_;
    ReportSettings::setWritesMHL(on);
    writesMHL_ = on;
    emit writesMHLChanged();
}

void Appearance::toggleText() {
    const bool on = !writesText_;
    ReportSettings::setWritesText(on);
    writesText_ = on;
    emit writesTextChanged();
}

void Appearance::togglePDF() {
    const bool on = !writesPDF_;
    ReportSettings::setWritesPDF(on);
    writesPDF_ = on;
    emit writesPDFChanged();
}

void Appearance::toggleAscMhl() {
    const bool on = !writesAscMhl_;
    ReportSettings::setWritesAscMhl(on);
    writesAscMhl_ = on;
    emit writesAscMhlChanged();
}

void Appearance::toggleAscMhlFormat(stowline::HashFormat format) {
    if (format == stowline::HashFormat::xxh64) {
        return; // the job's own proof, always recorded
    }
    ReportSettings::setAscMhlRecords(format, !ascMhlFormats_.contains(format));
    ascMhlFormats_ = ReportSettings::ascMhlFormats();
    emit writesAscMhlChanged();
}

void Appearance::chooseLanguage(std::optional<stowline::SupportedLanguage> language) {
    Localization::setOverride(language);
    const auto newOverride = Localization::override();
    const auto newLanguage = Localization::current();
    if (newOverride != languageOverride_) {
        languageOverride_ = newOverride;
        emit languageOverrideChanged();
    }
    if (newLanguage != language_) {
        language_ = newLanguage;
        emit languageChanged();
    }
}
