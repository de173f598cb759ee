#pragma once
#include "platform/RevealService.h"

/// org.freedesktop.FileManager1.ShowItems on the session bus; when no file manager answers,
/// the parent folder of the first item is opened with the desktop's default handler.
class FileManagerRevealService : public RevealService {
public:
    void reveal(const QList<QUrl>& items) override;
};
