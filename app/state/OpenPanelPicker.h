#pragma once
#include "platform/OpenPanelService.h"

#include <QList>
#include <QUrl>

#include <functional>

/// One open panel at a time for adding sources or destinations. Main thread.
class OpenPanelPicker {
public:
    /// `panels` may be null (a window without open panels); it must outlive the picker.
    explicit OpenPanelPicker(OpenPanelService* panels) : panels_(panels) {}

    [[nodiscard]] bool isOpen() const { return open_; }
    /// Shows a panel of `kind` and hands what the user confirms to `add`; does nothing while
    /// a panel is open or without panels. `add` is dropped once `owner`, which owns the
    /// picker, is gone.
    void pick(OpenPanelService::Kind kind, QObject* owner, std::function<void(const QList<QUrl>&)> add);

private:
    OpenPanelService* panels_;
    bool open_ = false;
};
