#include "stowline/FileOps.h"

#include <cerrno>
#include <cstdio>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace stowline {
namespace {

std::error_code lastError() {
    return {errno, std::system_category()};
}

FileStatus toStatus(const struct stat& st) {
    FileStatus status;
    if (S_ISREG(st.st_mode)) {
        status.type = FileStatus::Type::regular;
    } else if (S_ISDIR(st.st_mode)) {
        status.type = FileStatus::Type::directory;
    } else if (S_ISLNK(st.st_mode)) {
        status.type = FileStatus::Type::symlink;
    }
    status.size = static_cast<std::int64_t>(st.st_size);
    status.device = static_cast<std::uint64_t>(st.st_dev);
    status.inode = static_cast<std::uint64_t>(st.st_ino);
    status.modificationTime = st.st_mtim;
    status.changeTime = st.st_ctim;
    return status;
}

/// The status one of the stat calls fills in, or none with `error` set.
template <class Call> std::optional<FileStatus> statusBy(const Call& call, std::error_code& error) {
    struct stat st {};
    if (call(st) != 0) {
        error = lastError();
        return std::nullopt;
    }
    error.clear();
    return toStatus(st);
}

class SystemFileOps final : public FileOps {
public:
    UniqueFd openForReading(const std::filesystem::path& path, std::error_code& error) override {
        UniqueFd fd(
            retryOnEintr([&] { return ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY); }));
        if (!fd) {
            error = lastError();
            return fd;
        }
        struct stat st {};
        if (::fstat(fd.get(), &st) != 0) {
            error = lastError();
            return {};
        }
        if (!S_ISREG(st.st_mode)) {
            error = std::error_code(EINVAL, std::system_category());
            return {};
        }
        error.clear();
        return fd;
    }

    std::int64_t read(int fd, std::span<std::byte> buffer, std::error_code& error) override {
        const ssize_t n = ::read(fd, buffer.data(), buffer.size());
        error = n < 0 ? lastError() : std::error_code();
        return n;
    }

    std::error_code createDirectories(const std::filesystem::path& folder) override {
        std::error_code error;
        std::filesystem::create_directories(folder, error);
        return error;
    }

    UniqueFd createForWriting(const std::filesystem::path& path, std::error_code& error) override {
        UniqueFd fd(retryOnEintr([&] {
            return ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0644);
        }));
        error = fd ? std::error_code() : lastError();
        return fd;
    }

    std::int64_t write(int fd, std::span<const std::byte> data, std::error_code& error) override {
        const ssize_t n = ::write(fd, data.data(), data.size());
        error = n < 0 ? lastError() : std::error_code();
        return n;
    }

    std::error_code close(UniqueFd fd) override {
        // Never retried: on Linux the descriptor is gone even when close reports an error.
        return ::close(fd.release()) == 0 ? std::error_code() : lastError();
    }

    std::optional<FileStatus> status(const std::filesystem::path& path, std::error_code& error) override {
        return statusBy([&](struct stat& st) { return ::lstat(path.c_str(), &st); }, error);
    }

    std::optional<FileStatus> status(int fd, std::error_code& error) override {
        return statusBy([&](struct stat& st) { return ::fstat(fd, &st); }, error);
    }

    std::error_code rename(const std::filesystem::path& from, const std::filesystem::path& to) override {
        return ::rename(from.c_str(), to.c_str()) == 0 ? std::error_code() : lastError();
    }

    std::error_code unlink(const std::filesystem::path& path) override {
        return ::unlink(path.c_str()) == 0 ? std::error_code() : lastError();
    }

    std::error_code syncFileSystem(int fd) override {
        return ::syncfs(fd) == 0 ? std::error_code() : lastError();
    }

    std::error_code setModificationTime(const std::filesystem::path& path,
                                        const std::timespec& time) override {
        const std::timespec times[2] = {{0, UTIME_OMIT}, time};
        return ::utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW) == 0 ? std::error_code()
                                                                                    : lastError();
    }

    UniqueFd createNew(const std::filesystem::path& path, std::error_code& error) override {
        UniqueFd fd(retryOnEintr(
            [&] { return ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666); }));
        error = fd ? std::error_code() : lastError();
        return fd;
    }

    std::error_code syncFile(int fd) override { return ::fsync(fd) == 0 ? std::error_code() : lastError(); }

    UniqueFd openFolder(const std::filesystem::path& path, std::error_code& error) override {
        UniqueFd fd(retryOnEintr([&] { return ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); }));
        error = fd ? std::error_code() : lastError();
        return fd;
    }

    std::error_code link(const std::filesystem::path& from, const std::filesystem::path& to) override {
        return ::link(from.c_str(), to.c_str()) == 0 ? std::error_code() : lastError();
    }

    std::error_code renameNoReplace(const std::filesystem::path& from,
                                    const std::filesystem::path& to) override {
        return ::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0
                   ? std::error_code()
                   : lastError();
    }

    std::optional<FileStatus> statusFollowingLinks(const std::filesystem::path& path,
                                                   std::error_code& error) override {
        return statusBy([&](struct stat& st) { return ::stat(path.c_str(), &st); }, error);
    }

    UniqueFd openForReadBack(const std::filesystem::path& path, bool direct,
                             std::error_code& error) override {
        const int flags = O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY | (direct ? O_DIRECT : 0);
        UniqueFd fd(retryOnEintr([&] { return ::open(path.c_str(), flags); }));
        error = fd ? std::error_code() : lastError();
        return fd;
    }

    std::error_code dropCachedPages(int fd, std::int64_t offset, std::int64_t length) override {
        const int result = ::posix_fadvise(fd, offset, length, POSIX_FADV_DONTNEED);
        return result == 0 ? std::error_code() : std::error_code(result, std::system_category());
    }

    void startWriteBack(int fd) override { (void)::sync_file_range(fd, 0, 0, SYNC_FILE_RANGE_WRITE); }

    void prefetch(const std::filesystem::path& path) override {
        const UniqueFd fd(
            retryOnEintr([&] { return ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY); }));
        if (fd) {
            (void)::posix_fadvise(fd.get(), 0, 0, POSIX_FADV_WILLNEED);
        }
    }

    std::error_code setDirectWrites(int fd, bool on) override {
        const int flags = ::fcntl(fd, F_GETFL);
        if (flags == -1) {
            return lastError();
        }
        const int wanted = on ? flags | O_DIRECT : flags & ~O_DIRECT;
        return wanted == flags || ::fcntl(fd, F_SETFL, wanted) == 0 ? std::error_code() : lastError();
    }
};

} // namespace

FileOps& FileOps::system() {
    static SystemFileOps instance;
    return instance;
}

UniqueFd FileOps::createNew(const std::filesystem::path& path, std::error_code& error) {
    return system().createNew(path, error);
}

std::error_code FileOps::syncFile(int fd) {
    return system().syncFile(fd);
}

UniqueFd FileOps::openFolder(const std::filesystem::path& path, std::error_code& error) {
    return system().openFolder(path, error);
}

std::error_code FileOps::link(const std::filesystem::path& from, const std::filesystem::path& to) {
    return system().link(from, to);
}

std::error_code FileOps::renameNoReplace(const std::filesystem::path& from, const std::filesystem::path& to) {
    return system().renameNoReplace(from, to);
}

std::optional<FileStatus> FileOps::statusFollowingLinks(const std::filesystem::path& path,
                                                        std::error_code& error) {
    return system().statusFollowingLinks(path, error);
}

UniqueFd FileOps::openForReadBack(const std::filesystem::path& path, bool direct, std::error_code& error) {
    return system().openForReadBack(path, direct, error);
}

std::error_code FileOps::dropCachedPages(int fd, std::int64_t offset, std::int64_t length) {
    return system().dropCachedPages(fd, offset, length);
}

void FileOps::startWriteBack(int fd) {
    system().startWriteBack(fd);
}

void FileOps::prefetch(const std::filesystem::path& path) {
    system().prefetch(path);
}

std::error_code FileOps::setDirectWrites(int, bool) {
    return {ENOTSUP, std::system_category()};
}

bool FileOps::exists(const std::filesystem::path& path) {
    std::error_code error;
    return status(path, error).has_value();
}

std::int64_t FileOps::readUpTo(int fd, std::span<std::byte> buffer, std::error_code& error) {
    std::size_t filled = 0;
    while (filled < buffer.size()) {
        const std::int64_t n = read(fd, buffer.subspan(filled), error);
        if (n < 0) {
            if (error == std::errc::interrupted) {
                continue;
            }
            return -1;
        }
        if (n == 0) {
            break;
        }
        filled += static_cast<std::size_t>(n);
    }
    error.clear();
    return static_cast<std::int64_t>(filled);
}

std::error_code FileOps::writeAll(int fd, std::span<const std::byte> data) {
    while (!data.empty()) {
        std::error_code error;
        const std::int64_t n = write(fd, data, error);
        if (n < 0) {
            if (error == std::errc::interrupted) {
                continue;
            }
            return error;
        }
        if (n == 0) {
            return {EIO, std::system_category()};
        }
        data = data.subspan(static_cast<std::size_t>(n));
    }
    return {};
}

} // namespace stowline
