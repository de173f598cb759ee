#pragma once

class QAbstractScrollArea;

/// Thin scroll bars for the browser's lists: a narrow rounded handle on a clear track, in
/// the current appearance's colours. Call again when the appearance changes. Main thread.
namespace BrowserScrollBars {
void apply(QAbstractScrollArea* area);
}
