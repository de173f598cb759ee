#include "settings/Preferences.h"

namespace Preferences {
namespace {

bool& lastSaveFailed() {
    static bool failed = false;
    return failed;
}

} // namespace

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
    save();
}

void save() {
    store().sync();
    // The store keeps its first error: once a write failed, this run's values stay unsaved.
    lastSaveFailed() = store().status() == QSettings::AccessError;
}

bool cannotSave() {
    return lastSaveFailed() || !store().isWritable();
}

} // namespace Preferences
