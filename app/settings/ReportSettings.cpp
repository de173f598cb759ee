#include "settings/ReportSettings.h"

#include "settings/Preferences.h"

namespace ReportSettings {
namespace {

const QString mhlKey = QStringLiteral("reportWritesMHL");
const QString textKey = QStringLiteral("reportWritesText");
const QString pdfKey = QStringLiteral("reportWritesPDF");

bool& cachedMHL() {
    static bool value = Preferences::readBool(mhlKey, true);
    return value;
}

bool& cachedText() {
    static bool value = Preferences::readBool(textKey, true);
    return value;
}

bool& cachedPDF() {
    static bool value = Preferences::readBool(pdfKey, false);
    return value;
}

} // namespace

bool writesMHL() {
    return cachedMHL();
}
bool writesText() {
    return cachedText();
}
bool writesPDF() {
    return cachedPDF();
}

void setWritesMHL(bool on) {
    cachedMHL() = on;
    Preferences::writeBool(mhlKey, on);
}

void setWritesText(bool on) {
    cachedText() = on;
    Preferences::writeBool(textKey, on);
}

void setWritesPDF(bool on) {
    cachedPDF() = on;
    Preferences::writeBool(pdfKey, on);
}

} // namespace ReportSettings
