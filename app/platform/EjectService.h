#pragma once
#include <QString>

#include <optional>

/// Unmounts a volume and ejects (or powers off) the drive that holds it. The real service
/// is UDisksEjectService; tests use a fake. Main thread; may block briefly.
class EjectService {
public:
    virtual ~EjectService() = default;
    /// Unmounts the volume mounted at the absolute `mountPoint` and ejects its drive.
    /// Returns none on success, otherwise a description of the failure.
    [[nodiscard]] virtual std::optional<QString> eject(const QString& mountPoint) = 0;
};
