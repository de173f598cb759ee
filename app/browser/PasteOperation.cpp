#include "browser/PasteOperation.h"

#include "stowline/FileCopier.h"
#include "stowline/UniqueFd.h"

#include <QFile>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <sys/file.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;
using stowline::retryOnEintr;
using stowline::UniqueFd;

namespace {

// Marks our temporaries apart from the copier's ("<name>.stowline-partial" of a hidden
// source file looks hidden too), so that a listing never removes an offload's file.
const QByteArray temporaryPrefix = QByteArrayLiteral(".stowline-paste-");
const QByteArray temporarySuffix = QByteArrayLiteral(".stowline-partial");
constexpr std::size_t chunkSize = 1 << 20;

bool occupied(const QByteArray& path) {
    struct stat info {};
    return ::lstat(path.constData(), &info) == 0;
}

QByteArray fileName(const QByteArray& path) {
    return path.mid(path.lastIndexOf('/') + 1);
}

QByteArray joined(const QByteArray& folder, const QByteArray& name) {
    return folder.endsWith('/') ? folder + name : folder + '/' + name;
}

fs::path nativePath(const QByteArray& path) {
    return fs::path(path.toStdString());
}

QString describe(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

QString failureText(const QByteArray& path, int error) {
    return QStringLiteral("%1: %2").arg(QFile::decodeName(fileName(path)), describe(error));
}

void removeQuietly(const QByteArray& path) {
    std::error_code ignored;
    fs::remove_all(nativePath(path), ignored);
}

// The regular files' bytes under `path`, links not followed.
qint64 bytesUnder(const QByteArray& path) {
    struct stat info {};
    if (::lstat(path.constData(), &info) != 0) {
        return 0;
    }
    if (S_ISREG(info.st_mode)) {
        return info.st_size;
    }
    qint64 total = 0;
    if (S_ISDIR(info.st_mode)) {
        std::error_code error;
        for (fs::recursive_directory_iterator it(nativePath(path), error), end; !error && it != end;
             it.increment(error)) {
            if (it->is_regular_file(error) && !it->is_symlink(error)) {
                total += static_cast<qint64>(it->file_size(error));
            }
        }
    }
    return total;
}

// Copies one entry (a file, a folder with its contents, or a link as a link) to `to`, which
// must not exist. Modification times and permissions follow the source. Returns 0 or errno
// (ECANCELED when the user stopped the paste); `failedAt` names the entry that failed.
class TreeCopy {
public:
    explicit TreeCopy(PasteOperation::Progress& progress) : progress_(progress) {}

    int copy(const QByteArray& from, const QByteArray& to) {
        ++depth_;
        const int error = copyEntry(from, to);
        --depth_;
        return error;
    }

    QByteArray failedAt;

private:
    int copyEntry(const QByteArray& from, const QByteArray& to) {
        struct stat info {};
        if (::lstat(from.constData(), &info) != 0) {
            return fail(from, errno);
        }
        if (S_ISLNK(info.st_mode)) {
            return copyLink(from, to, info);
        }
        if (S_ISDIR(info.st_mode)) {
            return copyFolder(from, to, info);
        }
        if (S_ISREG(info.st_mode)) {
            return copyFile(from, to, info);
        }
        return fail(from, ENOTSUP); // devices, sockets, pipes
    }

    // The temporary at the top stays locked while this paste fills it, so that no listing
    // takes it for a crashed paste's leftover.
    void lockIfTop(const QByteArray& path) {
        if (depth_ == 1) {
            lock_.reset(::open(path.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
            if (lock_) {
                ::flock(lock_.get(), LOCK_EX | LOCK_NB);
            }
        }
    }

    int fail(const QByteArray& path, int error) {
        failedAt = path;
        return error;
    }

    static void stampTimes(const QByteArray& path, const struct stat& info, int flags) {
        // The access time is left to the file system; only the modification time is kept.
        const timespec times[2] = {{0, UTIME_OMIT}, info.st_mtim};
        ::utimensat(AT_FDCWD, path.constData(), times, flags);
    }

    int copyLink(const QByteArray& from, const QByteArray& to, const struct stat& info) {
        std::vector<char> target(static_cast<std::size_t>(info.st_size > 0 ? info.st_size : 4095) + 1);
        const ssize_t length = ::readlink(from.constData(), target.data(), target.size());
        if (length < 0) {
            return fail(from, errno);
        }
        target[static_cast<std::size_t>(length)] = '\0';
        if (::symlink(target.data(), to.constData()) != 0) {
            return fail(from, errno);
        }
        stampTimes(to, info, AT_SYMLINK_NOFOLLOW);
        return 0;
    }

    int copyFolder(const QByteArray& from, const QByteArray& to, const struct stat& info) {
        if (::mkdir(to.constData(), 0700) != 0) {
            return fail(from, errno);
        }
        lockIfTop(to);
        DIR* folder = ::opendir(from.constData());
        if (folder == nullptr) {
            return fail(from, errno);
        }
        std::vector<QByteArray> names;
        while (const dirent* entry = ::readdir(folder)) {
            if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0) {
                names.emplace_back(entry->d_name);
            }
        }
        ::closedir(folder);
        for (const QByteArray& name : names) {
            if (const int error = copy(joined(from, name), joined(to, name))) {
                return error;
            }
        }
        ::chmod(to.constData(), info.st_mode & 07777);
        stampTimes(to, info, 0); // after the contents, which change it
        return 0;
    }

    int copyFile(const QByteArray& from, const QByteArray& to, const struct stat& info) {
        const UniqueFd in(retryOnEintr([&] { return ::open(from.constData(), O_RDONLY | O_CLOEXEC); }));
        if (!in) {
            return fail(from, errno);
        }
        UniqueFd out(retryOnEintr(
            [&] { return ::open(to.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600); }));
        if (!out) {
            return fail(from, errno);
        }
        lockIfTop(to);
        std::vector<char> buffer(chunkSize);
        for (;;) {
            if (progress_.cancelled.load()) {
                return fail(from, ECANCELED);
            }
            const ssize_t got = retryOnEintr([&] { return ::read(in.get(), buffer.data(), buffer.size()); });
            if (got < 0) {
                return fail(from, errno);
            }
            if (got == 0) {
                break;
            }
            for (ssize_t written = 0; written < got;) {
                const ssize_t put = retryOnEintr([&] {
                    return ::write(out.get(), buffer.data() + written,
                                   static_cast<std::size_t>(got - written));
                });
                if (put < 0) {
                    return fail(from, errno);
                }
                written += put;
            }
            progress_.doneBytes += got;
        }
        ::fchmod(out.get(), info.st_mode & 07777);
        const timespec times[2] = {{0, UTIME_OMIT}, info.st_mtim};
        ::futimens(out.get(), times);
        if (::close(out.release()) != 0) { // a late write error (full network drive) shows here
            return fail(from, errno);
        }
        return 0;
    }

    PasteOperation::Progress& progress_;
    UniqueFd lock_; ///< released with the copy, after the temporary got its final name
    int depth_ = 0;
};

// Copies `source` to a temporary name in `folder`, locked while it is written, then gives it
// a free final name.
std::optional<QString> copyInto(const QByteArray& source, const QByteArray& folder,
                                PasteOperation::Progress& progress, bool& cancelled) {
    const QByteArray temporary = joined(folder, PasteOperation::temporaryName(fileName(source)));
    // A leftover of a crashed paste of the same name (nobody holds its lock any more).
    PasteOperation::removeStaleTemporaries(folder);
    TreeCopy tree(progress);
    const int error = tree.copy(source, temporary);
    if (error != 0) {
        removeQuietly(temporary);
        if (error == ECANCELED) {
            cancelled = true;
            return std::nullopt;
        }
        return failureText(tree.failedAt, error);
    }
    for (;;) {
        const QByteArray destination = PasteOperation::uniqueDestination(source, folder);
        const std::error_code renamed = PasteOperation::renameNoReplace(temporary, destination);
        if (!renamed) {
            return std::nullopt;
        }
        if (renamed != std::errc::file_exists) {
            removeQuietly(temporary);
            return failureText(source, renamed.value());
        }
        // Someone took the name in the meantime: pick the next free one.
    }
}

std::optional<QString> moveInto(const QByteArray& source, const QByteArray& folder,
                                PasteOperation::Progress& progress, bool& cancelled) {
    for (;;) {
        const QByteArray destination = PasteOperation::uniqueDestination(source, folder);
        const std::error_code error = PasteOperation::renameNoReplace(source, destination);
        if (!error) {
            progress.doneBytes += bytesUnder(destination);
            return std::nullopt;
        }
        if (error == std::errc::file_exists) {
            continue;
        }
        if (error != std::errc::cross_device_link) {
            return failureText(source, error.value());
        }
        break;
    }
    // Another file system: copy completely, and only then delete the original.
    if (auto failure = copyInto(source, folder, progress, cancelled); failure || cancelled) {
        return failure;
    }
    std::error_code error;
    fs::remove_all(nativePath(source), error);
    if (error) {
        return failureText(source, error.value());
    }
    return std::nullopt;
}

} // namespace

std::error_code PasteOperation::renameNoReplace(const QByteArray& from, const QByteArray& to) {
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0) {
        return {};
    }
    if (errno != EINVAL && errno != ENOSYS) {
        return {errno, std::generic_category()};
    }
    // A file system without RENAME_NOREPLACE: test, then rename.
    if (occupied(to)) {
        return std::make_error_code(std::errc::file_exists);
    }
    if (::rename(from.constData(), to.constData()) == 0) {
        return {};
    }
    return {errno, std::generic_category()};
}

QByteArray PasteOperation::temporaryName(const QByteArray& name) {
    const fs::path shortened =
        stowline::FileCopier::temporaryPath(fs::path((temporaryPrefix + name).toStdString()));
    return QByteArray::fromStdString(shortened.filename().native());
}

bool PasteOperation::isTemporaryName(const QByteArray& name) {
    return name.startsWith(temporaryPrefix) && name.endsWith(temporarySuffix);
}

int PasteOperation::removeStaleTemporaries(const QByteArray& folder) {
    DIR* listing = ::opendir(folder.constData());
    if (listing == nullptr) {
        return 0;
    }
    std::vector<QByteArray> candidates;
    while (const dirent* entry = ::readdir(listing)) {
        if (isTemporaryName(QByteArray(entry->d_name))) {
            candidates.emplace_back(entry->d_name);
        }
    }
    ::closedir(listing);
    int removed = 0;
    for (const QByteArray& name : candidates) {
        const QByteArray path = joined(folder, name);
        const UniqueFd entry(::open(path.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK));
        // Held by a paste that is still writing it (this process or another): leave it.
        // Links cannot be opened here (ELOOP); anything else unreadable is left alone.
        if (entry ? ::flock(entry.get(), LOCK_EX | LOCK_NB) != 0 : errno != ELOOP) {
            continue;
        }
        removeQuietly(path);
        ++removed;
    }
    return removed;
}

QByteArray PasteOperation::uniqueDestination(const QByteArray& source, const QByteArray& folder) {
    const QByteArray name = fileName(source);
    QByteArray candidate = joined(folder, name);
    const qsizetype dot = name.lastIndexOf('.');
    const bool hasExtension = dot > 0 && dot < name.size() - 1;
    const QByteArray stem = hasExtension ? name.left(dot) : name;
    const QByteArray extension = hasExtension ? name.mid(dot + 1) : QByteArray();
    for (int n = 2; occupied(candidate); ++n) {
        const QByteArray numbered = stem + ' ' + QByteArray::number(n);
        candidate = joined(folder, hasExtension ? numbered + '.' + extension : numbered);
    }
    return candidate;
}

bool PasteOperation::isInside(const QByteArray& folder, const QByteArray& source) {
    std::error_code error;
    fs::path sourcePath = nativePath(source);
    // A link travels as a link: where it points does not matter, only where it lives.
    if (fs::is_symlink(fs::symlink_status(sourcePath, error))) {
        const fs::path parent = fs::canonical(sourcePath.parent_path(), error);
        if (error) {
            return false;
        }
        sourcePath = parent / sourcePath.filename();
    } else {
        sourcePath = fs::canonical(sourcePath, error);
        if (error) {
            return false;
        }
    }
    const fs::path folderPath = fs::canonical(nativePath(folder), error);
    if (error) {
        return false;
    }
    const std::string& a = folderPath.native();
    const std::string& b = sourcePath.native();
    return a == b ||
           (a.size() > b.size() && a.compare(0, b.size(), b) == 0 && (b == "/" || a[b.size()] == '/'));
}

PasteOperation::Outcome PasteOperation::run(const QList<QUrl>& sources, const QByteArray& folder, bool isCut,
                                            Progress& progress) {
    std::vector<QByteArray> paths;
    qint64 total = 0;
    for (const QUrl& url : sources) {
        paths.push_back(QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1()));
        total += bytesUnder(paths.back());
    }
    progress.totalBytes = total;
    Outcome outcome;
    for (const QByteArray& source : paths) {
        if (progress.cancelled.load()) {
            outcome.cancelled = true;
            return outcome;
        }
        if (isInside(folder, source)) {
            outcome.failure = QStringLiteral("%1: a folder cannot be pasted into itself")
                                  .arg(QFile::decodeName(fileName(source)));
            return outcome;
        }
        if (!occupied(source)) {
            outcome.failure = failureText(source, ENOENT);
            return outcome;
        }
        outcome.failure = isCut ? moveInto(source, folder, progress, outcome.cancelled)
                                : copyInto(source, folder, progress, outcome.cancelled);
        if (outcome.failure || outcome.cancelled) {
            return outcome;
        }
    }
    return outcome;
}
