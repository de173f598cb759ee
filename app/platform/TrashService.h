#pragma once
#include <QByteArray>
#include <QString>

#include <optional>

/// Moves items to the desktop trash the way the freedesktop.org trash standard lays it out, through
/// GIO (the library the desktop itself trashes with): the home trash for items on the home
/// file system, "$topdir/.Trash-$uid" on other volumes, percent-encoded paths in the
/// ".trashinfo", and no half entry when the move fails. Tests may override it. Main thread.
class TrashService {
public:
    struct Failure {
        enum class Kind {
            noTrashOnVolume, ///< the item's volume has no trash and none can be made there
            other,
        };
        Kind kind = Kind::other;
        QString description; ///< the library's text, for `other`
    };

    virtual ~TrashService() = default;
    /// Moves the file or folder at the absolute `path` (the file system's bytes) to the
    /// trash. Returns none on success; on failure the item is where it was.
    [[nodiscard]] virtual std::optional<Failure> moveToTrash(const QByteArray& path);
};
