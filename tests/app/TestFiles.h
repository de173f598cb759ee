#pragma once
// The files the application tests work on: written, read and sized in one way everywhere.
#include "stowline/ByteFormat.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>

/// Writes `contents` to `path`, making its folders; a test that cannot make its own files stops.
inline void writeFile(const QString& path, const QByteArray& contents) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(contents) != contents.size()) {
        qFatal("cannot write %s", qPrintable(path));
    }
}

/// Writes `size` bytes of a repeating pattern, a different one for each `seed`.
inline void writeFile(const QString& path, int size, char seed = 'a') {
    QByteArray data(size, 0);
    for (int i = 0; i < size; ++i) {
        data[i] = static_cast<char>(seed + i % 23);
    }
    writeFile(path, data);
}

/// A file of `size` bytes that takes no room: for listings of camera-sized clips.
inline void writeSparseFile(const QString& path, qint64 size) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || !file.resize(size)) {
        qFatal("cannot write %s", qPrintable(path));
    }
}

inline QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

/// A byte count as the window writes it.
inline QString byteText(qint64 bytes) {
    return QString::fromStdString(stowline::ByteFormat::string(bytes));
}
