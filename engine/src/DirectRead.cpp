#include "DirectRead.h"

#include "stowline/CopyError.h"
#include "stowline/FileOps.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <new>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace stowline {
namespace {

constexpr std::size_t defaultAlignment = 4096;

// The alignment O_DIRECT needs for this file: 0 when the file system says it cannot do
// direct I/O on it, 4096 when the kernel or the headers cannot tell. One call also gives the
// size, as every small file verified pays for each call.
std::size_t directIoAlignment(int fd, off_t& size, bool& regular) {
#ifdef STATX_DIOALIGN
    struct statx info {};
    if (::statx(fd, "", AT_EMPTY_PATH, STATX_TYPE | STATX_SIZE | STATX_DIOALIGN, &info) == 0 &&
        (info.stx_mask & (STATX_TYPE | STATX_SIZE)) == (STATX_TYPE | STATX_SIZE)) {
        size = static_cast<off_t>(info.stx_size);
        regular = S_ISREG(info.stx_mode);
        if (!regular) {
            return 0; // pipes and devices: refused by the caller
        }
        if ((info.stx_mask & STATX_DIOALIGN) != 0) {
            if (info.stx_dio_mem_align == 0 || info.stx_dio_offset_align == 0) {
                return 0;
            }
            return std::max<std::size_t>({info.stx_dio_mem_align, info.stx_dio_offset_align, 512});
        }
        return defaultAlignment;
    }
#endif
    struct stat status {};
    if (::fstat(fd, &status) != 0) {
        return 0;
    }
    size = status.st_size;
    regular = S_ISREG(status.st_mode);
    return regular ? defaultAlignment : 0;
}

} // namespace

DirectRead::DirectRead(const std::filesystem::path& path, bool tryDirect, FileOps* ops)
    : ops_(ops != nullptr ? *ops : FileOps::system()), path_(path.string()) {
    open(path, tryDirect);
    if (!direct_) {
        sizeAtOpen_ = currentSize(); // a direct open measured it already
    }
}

off_t DirectRead::currentSize() {
    std::error_code error;
    const auto status = ops_.status(fd_.get(), error);
    return status ? static_cast<off_t>(status->size) : 0;
}

void DirectRead::open(const std::filesystem::path& path, bool tryDirect) {
    // The seam opens non-blocking, so that a FIFO or device put in a file's place cannot hold
    // the caller in open(); it is refused below.
    std::error_code error;
    if (tryDirect) {
        fd_ = ops_.openForReadBack(path, true, error);
        // FUSE and some network file systems refuse O_DIRECT at open with EINVAL.
        if (!fd_ && error != std::errc::invalid_argument) {
            throw CopyError::sourceUnreadable(path_, error.value());
        }
    }
    if (fd_) {
        bool regular = false;
        const std::size_t alignment = directIoAlignment(fd_.get(), sizeAtOpen_, regular);
        if (!regular) {
            throw CopyError::sourceUnreadable(path_);
        }
        if (alignment != 0) {
            direct_ = true;
            alignment_ = std::max(alignment, defaultAlignment);
            return;
        }
        switchToDroppingCache();
        return;
    }
    fd_ = ops_.openForReadBack(path, false, error);
    if (!fd_) {
        throw CopyError::sourceUnreadable(path_, error.value());
    }
    const auto status = ops_.status(fd_.get(), error);
    if (!status) {
        throw CopyError::sourceUnreadable(path_, error.value());
    }
    if (status->type != FileStatus::Type::regular) {
        throw CopyError::sourceUnreadable(path_);
    }
    switchToDroppingCache();
}

void DirectRead::switchToDroppingCache() {
    const int flags = ::fcntl(fd_.get(), F_GETFL);
    if (flags == -1 || ((flags & O_DIRECT) != 0 && ::fcntl(fd_.get(), F_SETFL, flags & ~O_DIRECT) == -1)) {
        throw CopyError::sourceUnreadable(path_, errno);
    }
    direct_ = false;
    // Dirty pages cannot be dropped, so they are written back first. When that write-back
    // fails the device does not hold what the cache shows: nothing read now could prove it.
    if (::fdatasync(fd_.get()) == -1 && (errno == EIO || errno == ENOSPC || errno == EDQUOT)) {
        throw CopyError::sourceUnreadable(path_, errno);
    }
    (void)ops_.dropCachedPages(fd_.get(), 0, 0);
}

std::size_t DirectRead::read(std::byte* buffer, std::size_t capacity) {
    if (ended_) {
        return 0;
    }
    for (;;) {
        std::error_code error;
        const std::int64_t n = ops_.read(fd_.get(), std::span<std::byte>(buffer, capacity), error);
        if (n < 0 && error == std::errc::interrupted) {
            continue;
        }
        if (n < 0) {
            // Some file systems accept O_DIRECT at open and refuse it at the first read.
            if (error == std::errc::invalid_argument && direct_) {
                switchToDroppingCache();
                continue;
            }
            throw CopyError::sourceUnreadable(path_, error.value());
        }
        const auto count = static_cast<std::size_t>(n);
        if (direct_ && count % alignment_ != 0) {
            // A short, unaligned read ends the file; a further O_DIRECT read from this
            // unaligned offset would fail. When the file really ends here, the next read
            // simply reports the end; otherwise (it grew meanwhile) whatever follows is read
            // the ordinary way. Checking first spares each small file a flush of its own.
            offset_ += static_cast<off_t>(n);
            if (offset_ >= currentSize()) {
                ended_ = true;
            } else {
                switchToDroppingCache();
            }
            return count;
        }
        if (!direct_ && count > 0) {
            // Keep the cache as empty as it was: drop the pages this read brought in.
            (void)ops_.dropCachedPages(fd_.get(), offset_, n);
        }
        offset_ += static_cast<off_t>(n);
        return count;
    }
}

void AlignedBuffer::Free::operator()(std::byte* p) const {
    std::free(p);
}

AlignedBuffer::AlignedBuffer(std::size_t size, std::size_t alignment) : size_(size) {
    const std::size_t rounded = (std::max<std::size_t>(size, 1) + alignment - 1) / alignment * alignment;
    bytes_.reset(static_cast<std::byte*>(std::aligned_alloc(alignment, rounded)));
    if (!bytes_) {
        throw std::bad_alloc();
    }
    std::memset(bytes_.get(), 0, rounded);
}

} // namespace stowline
