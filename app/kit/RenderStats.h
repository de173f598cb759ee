#pragma once
#include <QString>

/// Developer render counter: with STOWLINE_RENDER_STATS=1, counts how often each view
/// rebuilds and prints a line per second on standard output. Main thread.
namespace RenderStats {

[[nodiscard]] bool enabled();
/// Prints the start line and starts the one-second report timer (once).
void start();
/// Counts one build of the named view.
void tick(const char* viewName);

} // namespace RenderStats
