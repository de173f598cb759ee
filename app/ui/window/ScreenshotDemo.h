#pragma once
#include "state/AppState.h"

#include <QList>
#include <QString>
#include <QUrl>

/// The transfers the screenshot script stages to picture the report dialog, asked for by
/// STOWLINE_DEMO_REPORT: "dropped" (the last destination runs out of room after the first
/// file and is given up) or "cancelled" (cancelled after the first file). Nothing happens
/// without the variable. Main thread.
namespace ScreenshotDemo {

/// The kind asked for, or empty.
[[nodiscard]] QString requestedReport();
/// The engine seams the kind needs: room that runs out on the last destination, or read-backs
/// slow enough for the cancel to land after the first file.
void prepare(AppState::Services& services, const QString& kind, const QList<QUrl>& destinations);
/// Once the sources and destinations are in, starts the transfer, gives up the full drive or
/// cancels, and opens the report when the job has ended.
void run(AppState& state, const QString& kind);

} // namespace ScreenshotDemo
