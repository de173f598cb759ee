#pragma once
#include <QList>
#include <QUrl>

#include <functional>
#include <utility>

/// Shows items in the desktop's file manager. The real service is
/// FileManagerRevealService; tests use a fake. Main thread; returns at once.
class RevealService {
public:
    /// Told (on the main thread, possibly later) that nothing could show the items.
    using FailureHandler = std::function<void(const QList<QUrl>& items)>;

    virtual ~RevealService() = default;
    /// Opens a file manager window with the given file URLs selected; when no file manager
    /// answers and no folder can be opened either, the failure handler hears of it.
    virtual void reveal(const QList<QUrl>& items) = 0;
    void setFailureHandler(FailureHandler handler) { failed_ = std::move(handler); }

protected:
    [[nodiscard]] const FailureHandler& failureHandler() const { return failed_; }

private:
    FailureHandler failed_;
};
