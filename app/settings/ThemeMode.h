#pragma once

/// The light/dark choice, cached from the preference "appearanceIsLight" (absent or not
/// "true": dark) on first use and written through on change. Main thread.
namespace ThemeMode {

[[nodiscard]] bool isLight();
/// Updates the cache and stores the value at once.
void setLight(bool light);

} // namespace ThemeMode
