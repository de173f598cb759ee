#pragma once
#include <QByteArray>
#include <QDir>
#include <QString>
#include <QUrl>

#include <filesystem>

/// Conversions between the application's file URLs and the engine's paths.
///
/// A path is bytes: a name that is not valid UTF-8 keeps its bytes percent-encoded in the URL
/// (file:///Card/A%FF.MOV), so every operation reaches the real entry. toLocalFile() of such
/// a URL is only fit for showing (replacement characters).
namespace FileUrl {

/// A file URL for a path given as the file system's bytes, cleaned like fromPath.
[[nodiscard]] inline QUrl fromNativePath(const QByteArray& path) {
    // Latin-1 maps each byte to one character, so cleaning works on the bytes themselves.
    const QByteArray clean = QDir::cleanPath(QString::fromLatin1(path)).toLatin1();
    QUrl url;
    url.setScheme(QStringLiteral("file"));
    url.setPath(QString::fromLatin1(clean.toPercentEncoding("/")), QUrl::TolerantMode);
    return url;
}
/// The path's bytes as the file system knows them.
[[nodiscard]] inline QByteArray nativePath(const QUrl& url) {
    return QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1());
}
/// A file URL for a local path, cleaned ("/a/b/" and "/a/./b" both give file:///a/b).
[[nodiscard]] inline QUrl fromPath(const QString& path) {
    return QUrl::fromLocalFile(QDir::cleanPath(path));
}
[[nodiscard]] inline QUrl fromPath(const std::filesystem::path& path) {
    const std::string& bytes = path.native();
    return fromNativePath(QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
}
/// The same URL in its cleaned form, so that equal folders compare equal.
[[nodiscard]] inline QUrl cleaned(const QUrl& url) {
    return fromNativePath(nativePath(url));
}
[[nodiscard]] inline std::filesystem::path toPath(const QUrl& url) {
    return std::filesystem::path(nativePath(url).toStdString());
}
/// The last path component ("" for "/"), for showing.
[[nodiscard]] inline QString lastComponent(const QUrl& url) {
    return QDir::cleanPath(url.toLocalFile()).section(QLatin1Char('/'), -1);
}
/// Whether the URL's path leads to something (following links).
[[nodiscard]] inline bool exists(const QUrl& url) {
    std::error_code error;
    return std::filesystem::exists(toPath(url), error);
}
/// Whether the URL names a folder (following links).
[[nodiscard]] inline bool isDirectory(const QUrl& url) {
    std::error_code error;
    return std::filesystem::is_directory(toPath(url), error);
}

} // namespace FileUrl
