#pragma once
#include <QByteArray>
#include <QList>
#include <QString>
#include <QUrl>

#include <atomic>
#include <optional>
#include <system_error>

/// The file work of a browser paste, free of any model so that it can run on a worker
/// thread. Paths are the file system's bytes (names need not be UTF-8). Thread: any;
/// touches only the file system.
namespace PasteOperation {

/// Shared between the worker and the window: how far the paste is, and the user's cancel.
struct Progress {
    std::atomic<qint64> doneBytes{0};
    std::atomic<qint64> totalBytes{0};
    std::atomic<bool> cancelled{false};
};

/// How a paste ended: complete, stopped by the user, or stopped by the first failure.
struct Outcome {
    std::optional<QString> failure; ///< "name: description" of the first failure
    bool cancelled = false;
};

/// A free path in `folder` for a copy of `source`: the source's name, else "stem 2.ext",
/// "stem 3.ext" … ("Card 2" for names without an extension).
[[nodiscard]] QByteArray uniqueDestination(const QByteArray& source, const QByteArray& folder);

/// True when pasting `source` into `folder` could never finish: `folder` is the source
/// folder itself or lies inside it. A link is pasted as a link, so a link to a folder may
/// go into that folder.
[[nodiscard]] bool isInside(const QByteArray& folder, const QByteArray& source);

/// rename(2) that never replaces an existing entry (EEXIST instead).
[[nodiscard]] std::error_code renameNoReplace(const QByteArray& from, const QByteArray& to);

/// The hidden name a copy of `name` has while it is written, within the 255 bytes a name
/// may have (long names are shortened by the copier's temporary-name rule).
[[nodiscard]] QByteArray temporaryName(const QByteArray& name);
/// Whether `name` is a temporary name of a paste.
[[nodiscard]] bool isTemporaryName(const QByteArray& name);
/// Removes the temporaries of pastes in `folder` that nobody is writing any more (a paste
/// holds a lock on its temporary while it runs). Returns how many it removed.
int removeStaleTemporaries(const QByteArray& folder);

/// Copies (or moves, when `isCut`) each source into `folder` under a unique name, in order,
/// stopping at the first failure or at a cancel. A copy keeps its source's modification
/// times and appears under its final name only once complete; a move across file systems
/// deletes the source only after its copy is complete. A cancelled copy leaves nothing.
[[nodiscard]] Outcome run(const QList<QUrl>& sources, const QByteArray& folder, bool isCut,
                          Progress& progress);

} // namespace PasteOperation
