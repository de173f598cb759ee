#pragma once
#include <QList>
#include <QString>
#include <QUrl>

#include <optional>
#include <system_error>

/// The file work of a browser paste, free of any model so that it can run on a worker
/// thread. Thread: any; touches only the file system.
namespace PasteOperation {

/// A free path in `folder` for a copy of `source`: the source's name, else "stem 2.ext",
/// "stem 3.ext" … ("Card 2" for names without an extension).
[[nodiscard]] QString uniqueDestination(const QString& source, const QString& folder);

/// True when `folder` is `source` itself or lies inside it (compared by canonical paths),
/// so copying or moving the source there could never finish.
[[nodiscard]] bool isInside(const QString& folder, const QString& source);

/// rename(2) that never replaces an existing entry (EEXIST instead).
[[nodiscard]] std::error_code renameNoReplace(const QString& from, const QString& to);

/// Copies (or moves, when `isCut`) each source into `folder` under a unique name, in order,
/// stopping at the first failure, whose description it returns. A copy appears under its
/// final name only once complete; a move across file systems deletes the source only after
/// its copy is complete.
[[nodiscard]] std::optional<QString> run(const QList<QUrl>& sources, const QString& folder, bool isCut);

} // namespace PasteOperation
