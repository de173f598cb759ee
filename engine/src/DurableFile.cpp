#include "DurableFile.h"

#include "stowline/UniqueFd.h"

#include <array>
#include <cerrno>
#include <cstdio>
#include <random>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace stowline::DurableFile {
namespace {

namespace fs = std::filesystem;

std::error_code lastError() {
    return {errno, std::generic_category()};
}

std::string randomName() {
    thread_local std::mt19937_64 random{std::random_device{}()};
    std::array<char, 48> name{};
    std::snprintf(name.data(), name.size(), "%s%016llx.tmp", std::string(temporaryPrefix).c_str(),
                  static_cast<unsigned long long>(random()));
    return name.data();
}

} // namespace

std::error_code prepare(const fs::path& folder, std::string_view bytes, fs::path& temporary) {
    UniqueFd fd;
    fs::path candidate;
    for (int attempt = 0; attempt < 100 && !fd; ++attempt) {
        candidate = folder / randomName();
        fd.reset(retryOnEintr([&] {
            return ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0644);
        }));
        if (!fd && errno != EEXIST) {
            return lastError();
        }
    }
    if (!fd) {
        return std::make_error_code(std::errc::file_exists);
    }
    std::error_code error;
    while (!bytes.empty() && !error) {
        const ssize_t written = retryOnEintr([&] { return ::write(fd.get(), bytes.data(), bytes.size()); });
        if (written < 0) {
            error = lastError();
        } else if (written == 0) {
            error = std::make_error_code(std::errc::io_error);
        } else {
            bytes.remove_prefix(static_cast<std::size_t>(written));
        }
    }
    if (!error && ::fsync(fd.get()) != 0) {
        error = lastError();
    }
    if (::close(fd.release()) != 0 && !error) {
        error = lastError();
    }
    if (error) {
        ::unlink(candidate.c_str());
        return error;
    }
    temporary = std::move(candidate);
    return {};
}

std::error_code publishNew(const fs::path& temporary, const fs::path& target) {
    // A hard link never replaces; file systems without links get the no-replace rename.
    if (::link(temporary.c_str(), target.c_str()) == 0) {
        ::unlink(temporary.c_str());
        return {};
    }
    if (errno == EEXIST) {
        return lastError();
    }
    if (::renameat2(AT_FDCWD, temporary.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0) {
        return {};
    }
    const std::error_code error = lastError();
    if (error.value() != EEXIST) {
        ::unlink(temporary.c_str());
    }
    return error;
}

std::error_code replace(const fs::path& temporary, const fs::path& target) {
    if (::rename(temporary.c_str(), target.c_str()) == 0) {
        return {};
    }
    const std::error_code error = lastError();
    ::unlink(temporary.c_str());
    return error;
}

void syncFolder(const fs::path& folder) {
    const UniqueFd fd(
        retryOnEintr([&] { return ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); }));
    if (fd) {
        (void)::fsync(fd.get());
    }
}

void removeLeftovers(const fs::path& folder) {
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (name.starts_with(temporaryPrefix) && name.ends_with(".tmp")) {
            ::unlink(it->path().c_str());
        }
    }
}

} // namespace stowline::DurableFile
