#pragma once
#include <QList>
#include <QString>
#include <QUrl>

#include <functional>

/// Non-blocking open panels. The real one is a QFileDialog shown with open(); tests use a
/// fake. Main thread.
class OpenPanelService {
public:
    enum class Kind {
        sources,      ///< files and folders, several at once
        destinations, ///< folders only, several at once, may create folders
    };
    virtual ~OpenPanelService() = default;
    /// Shows the panel and returns at once; `done` runs on the main thread when it closes,
    /// with the chosen URLs in the panel's order (empty when cancelled).
    virtual void open(Kind kind, const QString& prompt, const QString& message,
                      std::function<void(QList<QUrl> chosen)> done) = 0;
};
