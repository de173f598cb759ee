#pragma once
#include <QString>

/// The resource bundle folder "Stowline_StowlineApp.bundle": the folder named by the
/// environment variable STOWLINE_BUNDLE when set, else beside the executable (build tree),
/// else under share/stowline/ of the installed prefix. Found once per process.
namespace ResourceBundle {

/// The bundle's absolute path. When no bundle exists the process stops with
/// "unable to find bundle named Stowline_StowlineApp".
[[nodiscard]] QString path();

/// Makes path() return `folder` (tests).
void setPathForTesting(const QString& folder);

} // namespace ResourceBundle
