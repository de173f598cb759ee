#pragma once
#include <QString>

namespace AppInfo {

/// The application's version from the build ("1.0.0"), or "0.0.0-dev" when the build
/// gave none.
[[nodiscard]] QString version();

} // namespace AppInfo
