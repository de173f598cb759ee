#include "settings/ThemeMode.h"

#include "settings/Preferences.h"

namespace ThemeMode {
namespace {

const QString key = QStringLiteral("appearanceIsLight");

bool& cached() {
    static bool value = Preferences::readBool(key, false);
    return value;
}

} // namespace

bool isLight() {
    return cached();
}

void setLight(bool light) {
    cached() = light;
    Preferences::writeBool(key, light);
}

} // namespace ThemeMode
