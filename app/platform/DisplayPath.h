#pragma once
#include "platform/VolumeService.h"

#include <QList>
#include <QString>

#include <optional>

/// Human forms of paths: a path inside a user-visible volume shows as the volume's name
/// and the rest; other paths get the start-up volume's name in front. Main thread.
namespace DisplayPath {

/// "/media/me/CARD A/DCIM" → "CARD A/DCIM"; "/home/me/x" → "<boot name>/home/me/x";
/// "/" → "<boot name>". Components are trimmed of spaces and tabs.
[[nodiscard]] QString displayPath(const QString& path);
/// The label of "/", else the machine's host name. Read once.
[[nodiscard]] QString bootVolumeName();

/// The user-visible volumes that name paths, as the volume service last listed them (the
/// caller passes them on each change). Until the first call the system's table is read once.
void setVolumes(QList<MountedVolume> volumes);
/// Replaces the start-up volume's name (tests); none reads it afresh on next use.
void setBootVolumeNameForTesting(std::optional<QString> name);

} // namespace DisplayPath
