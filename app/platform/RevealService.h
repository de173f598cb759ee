#pragma once
#include <QList>
#include <QUrl>

/// Shows items in the desktop's file manager. The real service is
/// FileManagerRevealService; tests use a fake. Main thread; returns at once.
class RevealService {
public:
    virtual ~RevealService() = default;
    /// Opens a file manager window with the given file URLs selected. Failures are silent.
    virtual void reveal(const QList<QUrl>& items) = 0;
};
