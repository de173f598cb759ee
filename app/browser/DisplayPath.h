#pragma once
#include <QString>

/// Human forms of paths: a path inside a user-visible volume shows as the volume's name
/// and the rest; other paths get the start-up volume's name in front. Main thread.
namespace DisplayPath {

[[nodiscard]] QString displayPath(const QString& path);
/// The label of "/", else the machine's host name. Read once.
[[nodiscard]] QString bootVolumeName();

} // namespace DisplayPath
