#pragma once
#include <QString>

#include <optional>

/// Moves items to the desktop trash. The default implementation uses the freedesktop.org
/// trash of the user's data folder; tests may override it. Main thread.
class TrashService {
public:
    virtual ~TrashService() = default;
    /// Moves the file or folder at the absolute `path` to the trash. Returns none on success,
    /// otherwise the platform's description of the failure (the item is then where it was).
    [[nodiscard]] virtual std::optional<QString> moveToTrash(const QString& path);
};
