#pragma once
#include "platform/RevealService.h"

/// org.freedesktop.FileManager1.ShowItems on the session bus; when no file manager answers,
/// the parent folder of the first item is opened with the desktop's default handler; when
/// that fails too, a message over the active window says so (unless another failure
/// handler was set).
class FileManagerRevealService : public RevealService {
public:
    FileManagerRevealService();
    void reveal(const QList<QUrl>& items) override;
};
