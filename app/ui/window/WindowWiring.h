#pragma once

class AppState;
class Appearance;
class MainView;
class RevealService;

/// Puts the transfers panel into the window and opens the sheets over it: the report sheet
/// while AppState::reportJob is set, the drive check's report while
/// AppState::driveCheckReport is set, the settings sheet while
/// MainView::showsSettings is true (closing it sets that back to false). Main thread; the
/// state and appearance must outlive the view.
void installTransfersAndSettings(MainView& view, AppState& state, Appearance& appearance);
/// The same with the given way of revealing files (tests); `reveal` must outlive the view.
void installTransfersAndSettings(MainView& view, AppState& state, Appearance& appearance,
                                 RevealService& reveal);
