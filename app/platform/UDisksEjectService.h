#pragma once
#include "platform/EjectService.h"

/// Ejects through UDisks2 on the system bus: Filesystem.Unmount on the block device mounted
/// at the folder, then Drive.Eject, or Drive.PowerOff when the drive cannot eject.
class UDisksEjectService : public EjectService {
public:
    [[nodiscard]] std::optional<QString> eject(const QString& mountPoint) override;
};
