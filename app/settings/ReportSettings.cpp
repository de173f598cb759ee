#include "settings/ReportSettings.h"

#include "settings/Preferences.h"

namespace ReportSettings {
namespace {

const QString mhlKey = QStringLiteral("reportWritesMHL");
const QString textKey = QStringLiteral("reportWritesText");

bool& cachedMHL() {
    static bool value = Preferences::readBool(mhlKey, true);
    return value;
}

bool& cachedText() {
    static bool value = Preferences::readBool(textKey, true);
    return value;
}

} // namespace

bool writesMHL() {
    return cachedMHL();
}
bool writesText() {
    return cachedText();
}

void setWritesMHL(bool on) {
    cachedMHL() = on;
    Preferences::writeBool(mhlKey, on);
}

void setWritesText(bool on) {
    cachedText() = on;
    Preferences::writeBool(textKey, on);
}

} // namespace ReportSettings
