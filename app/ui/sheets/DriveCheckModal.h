#pragma once
#include "stowline/DriveCheck.h"

#include "kit/Sheet.h"

#include <QUrl>

class AppState;
class QListView;
class ThemedText;

/// The report of one ended drive check as a window-modal sheet of 640 × 460: the drive, every
/// file that is not intact with its status and why, every hash list that could not be used,
/// and how many files no list covers; or, when all is well, that every listed file is
/// intact. Open while AppState::driveCheckReport is set; closing it closes the state's
/// report. Main thread.
class DriveCheckModal : public Sheet {
    Q_OBJECT
public:
    /// Roles of the list's rows besides the display role (the listed path).
    enum Role { statusRole = Qt::UserRole + 1, detailRole };

    /// `result` is copied; `state` must outlive the sheet.
    DriveCheckModal(AppState& state, const QUrl& root, const stowline::DriveCheckResult& result,
                    QWidget* parent = nullptr);

    [[nodiscard]] const QUrl& root() const { return root_; }
    /// The rows: files not intact, then hash lists that could not be used. Empty when intact.
    [[nodiscard]] QListView* fileList() const { return list_; }
    [[nodiscard]] ThemedText* verdictText() const { return verdict_; }
    [[nodiscard]] ThemedText* coverageText() const { return coverage_; }
    /// The line shown instead of the list when it has no rows.
    [[nodiscard]] ThemedText* emptyText() const { return empty_; }

private:
    void retranslate() override;

    QUrl root_;
    stowline::DriveCheckResult result_;
    ThemedText* title_;
    ThemedText* path_;
    QListView* list_;
    ThemedText* empty_;
    ThemedText* verdict_;
    ThemedText* coverage_;
};
