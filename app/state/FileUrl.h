#pragma once
#include <QDir>
#include <QString>
#include <QUrl>

#include <filesystem>

/// Conversions between the application's file URLs and the engine's paths.
namespace FileUrl {

/// A file URL for a local path, cleaned ("/a/b/" and "/a/./b" both give file:///a/b).
[[nodiscard]] inline QUrl fromPath(const QString& path) {
    return QUrl::fromLocalFile(QDir::cleanPath(path));
}
[[nodiscard]] inline QUrl fromPath(const std::filesystem::path& path) {
    return fromPath(QString::fromStdString(path.string()));
}
/// The same URL in its cleaned form, so that equal folders compare equal.
[[nodiscard]] inline QUrl cleaned(const QUrl& url) {
    return fromPath(url.toLocalFile());
}
[[nodiscard]] inline std::filesystem::path toPath(const QUrl& url) {
    return std::filesystem::path(url.toLocalFile().toStdString());
}
/// The last path component ("" for "/").
[[nodiscard]] inline QString lastComponent(const QUrl& url) {
    return QDir::cleanPath(url.toLocalFile()).section(QLatin1Char('/'), -1);
}

} // namespace FileUrl
