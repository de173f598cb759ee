#include "settings/UpdateSettings.h"

#include "settings/Preferences.h"

namespace UpdateSettings {
namespace {

const QString key = QStringLiteral("updateChecksAutomatically");

bool& cached() {
    static bool value = Preferences::readBool(key, true);
    return value;
}

} // namespace

bool checksAutomatically() {
    return cached();
}

void setChecksAutomatically(bool on) {
    cached() = on;
    Preferences::writeBool(key, on);
}

} // namespace UpdateSettings
