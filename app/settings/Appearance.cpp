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

void Appearance::toggle(bool& flag, void (*store)(bool), void (Appearance::*changed)()) {
    const bool on = !flag;
    store(on);
    flag = on;
    emit(this->*changed)();
}

void Appearance::toggleMHL() {
    toggle(writesMHL_, &ReportSettings::setWritesMHL, &Appearance::writesMHLChanged);
}

void Appearance::toggleText() {
    toggle(writesText_, &ReportSettings::setWritesText, &Appearance::writesTextChanged);
}

void Appearance::togglePDF() {
    toggle(writesPDF_, &ReportSettings::setWritesPDF, &Appearance::writesPDFChanged);
}

void Appearance::toggleAscMhl() {
    toggle(writesAscMhl_, &ReportSettings::setWritesAscMhl, &Appearance::writesAscMhlChanged);
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
