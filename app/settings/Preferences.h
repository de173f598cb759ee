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
/// Flushes what was set to disk, noting whether that worked.
void save();
/// True when the last save failed or the store's file cannot be written: the values set
/// hold for this run only, and the next start reads the old ones.
[[nodiscard]] bool cannotSave();

} // namespace Preferences
