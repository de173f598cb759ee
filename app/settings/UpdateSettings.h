#pragma once

/// Whether the application checks for updates by itself; cached from the preference
/// "updateChecksAutomatically" (true unless stored "false") on first use, written through
/// on change. Main thread.
namespace UpdateSettings {

[[nodiscard]] bool checksAutomatically();
void setChecksAutomatically(bool on);

} // namespace UpdateSettings
