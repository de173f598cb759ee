#pragma once
#include <QSettings>

/// The per-user preference store: INI under the XDG config folder, organisation and
/// application "Stowline". One instance per process, created on first use. Main thread.
namespace Preferences {

[[nodiscard]] QSettings& store();

/// A stored boolean: true only for the text "true", false only for "false"; any other
/// stored value (or none) gives `fallback`.
[[nodiscard]] bool readBool(const QString& key, bool fallback);
/// Stores a boolean as "true" or "false" and flushes it to disk.
void writeBool(const QString& key, bool value);

} // namespace Preferences
