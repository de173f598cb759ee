#pragma once
#include <QString>
#include <QUrl>

#include <functional>
#include <optional>

/// Non-blocking save panels. The real one is a QFileDialog shown with open(); tests use a
/// fake. Main thread.
class SavePanelService {
public:
    virtual ~SavePanelService() = default;
    /// Shows the panel for one file, proposing `suggestedName` (with its extension) in the
    /// last folder used, and returns at once; `done` runs on the main thread when it
    /// closes, with the chosen file (none when cancelled). Replacing an existing file has
    /// been confirmed by then.
    virtual void save(const QString& title, const QString& suggestedName,
                      std::function<void(std::optional<QUrl> chosen)> done) = 0;
};
