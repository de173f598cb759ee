#include "WholeFile.h"

#include "stowline/FileOps.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace stowline {
namespace {

std::string tooLarge(std::uint64_t limit) {
    return "larger than " + std::to_string(limit >> 20) + " MiB, not read";
}

WholeFileError systemError(const std::error_code& code) {
    return {std::strerror(code.value()), code.value()};
}

/// Opens the regular file at `path` through `ops`, naming a file of another kind as such.
UniqueFd openRegular(const std::filesystem::path& path, FileOps& ops, LinkAtPath links,
                     WholeFileError& error) {
    std::error_code code;
    if (links == LinkAtPath::refuse) {
        // As open(O_NOFOLLOW) refuses it.
        const auto status = ops.status(path, code);
        if (status && status->type == FileStatus::Type::symlink) {
            error = systemError(std::error_code(ELOOP, std::system_category()));
            return {};
        }
    }
    UniqueFd fd = ops.openForReading(path, code);
    if (!fd) {
        // The file operations refuse what is not a regular file with EINVAL.
        error = code.value() == EINVAL ? WholeFileError{"not a regular file"} : systemError(code);
    }
    return fd;
}

} // namespace

std::optional<std::string> readWholeFile(const std::filesystem::path& path, std::uint64_t limit,
                                         WholeFileError& error, FileOps& ops, LinkAtPath links) {
    const UniqueFd fd = openRegular(path, ops, links, error);
    if (!fd) {
        return std::nullopt;
    }
    std::error_code code;
    const auto status = ops.status(fd.get(), code);
    if (!status) {
        error = systemError(code);
        return std::nullopt;
    }
    if (static_cast<std::uint64_t>(status->size) > limit) {
        error = {tooLarge(limit)};
        return std::nullopt;
    }
    std::string bytes(static_cast<std::size_t>(status->size), '\0');
    std::size_t filled = 0;
    for (;;) {
        if (filled == bytes.size()) {
            // The file may have grown since it was examined; read on, within the limit.
            if (bytes.size() >= limit) {
                std::byte probe{};
                const std::int64_t more = ops.readUpTo(fd.get(), std::span(&probe, 1), code);
                if (more > 0) {
                    error = {tooLarge(limit)};
                    return std::nullopt;
                }
                if (more < 0) {
                    error = systemError(code);
                    return std::nullopt;
                }
                break;
            }
            bytes.resize(std::min<std::uint64_t>(limit, bytes.size() + 65536));
        }
        const std::int64_t got = ops.readUpTo(
            fd.get(), std::as_writable_bytes(std::span(bytes.data() + filled, bytes.size() - filled)), code);
        if (got < 0) {
            error = systemError(code);
            return std::nullopt;
        }
        filled += static_cast<std::size_t>(got);
        if (filled < bytes.size()) {
            break; // readUpTo stops short only at the end of the file
        }
    }
    bytes.resize(filled);
    return bytes;
}

std::optional<std::string> readWholeFile(const std::filesystem::path& path, std::uint64_t limit,
                                         std::string& error) {
    WholeFileError failure;
    auto bytes = readWholeFile(path, limit, failure, FileOps::system());
    if (!bytes) {
        error = std::move(failure.what);
    }
    return bytes;
}

} // namespace stowline
