#include "settings/Preferences.h"

namespace Preferences {

QSettings& store() {
    static QSettings settings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Stowline"),
                              QStringLiteral("Stowline"));
    return settings;
}

bool readBool(const QString& key, bool fallback) {
    const QVariant value = store().value(key);
    if (!value.isValid()) {
        return fallback;
    }
    const QString text = value.toString();
    if (text == QLatin1String("true")) {
        return true;
    }
    if (text == QLatin1String("false")) {
        return false;
    }
    return fallback;
}

void writeBool(const QString& key, bool value) {
    store().setValue(key, value ? QStringLiteral("true") : QStringLiteral("false"));
    store().sync();
}

} // namespace Preferences
