// GLib's headers come before any of Qt's, whose "signals" keyword they would trip over.
#include <gio/gio.h>

#include "platform/TrashService.h"

#include <memory>

std::optional<TrashService::Failure> TrashService::moveToTrash(const QByteArray& path) {
    const std::unique_ptr<GFile, decltype(&g_object_unref)> file(g_file_new_for_path(path.constData()),
                                                                 &g_object_unref);
    GError* error = nullptr;
    if (g_file_trash(file.get(), nullptr, &error)) {
        return std::nullopt;
    }
    Failure failure;
    // GIO says "not supported" exactly when it finds no trash for the item's volume and
    // cannot create one there (read-only, or no permission at the volume's top).
    if (g_error_matches(error, G_IO_ERROR, G_IO_ERROR_NOT_SUPPORTED)) {
        failure.kind = Failure::Kind::noTrashOnVolume;
    }
    failure.description = QString::fromUtf8(error->message);
    g_error_free(error);
    return failure;
}
