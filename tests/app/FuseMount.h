#pragma once
// A FUSE file system served by a thread of the test over the kernel's /dev/fuse protocol:
// one empty folder of a fixed size. Frozen, it stops answering, and every call into it
// waits as on a dead FUSE or network mount; thawed, it answers again.
#include <QByteArray>
#include <QFile>
#include <QString>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <linux/fuse.h>
#include <poll.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

class FuseMount {
public:
    static constexpr std::uint64_t blocks = 1000;
    static constexpr std::uint64_t freeBlocks = 500;
    static constexpr std::uint32_t blockSize = 4096;

    /// Mounts at `where` (an existing empty folder) and starts answering.
    explicit FuseMount(const QString& where) : where_(QFile::encodeName(where)) {
        device_ = ::open("/dev/fuse", O_RDWR | O_CLOEXEC);
        if (device_ < 0) {
            error_ = QStringLiteral("/dev/fuse: ") + QString::fromLocal8Bit(std::strerror(errno));
            return;
        }
        const QByteArray options =
            "fd=" + QByteArray::number(device_) + ",rootmode=40000,user_id=0,group_id=0";
        if (::mount("stowline-test", where_.constData(), "fuse.stowline", MS_NOSUID | MS_NODEV,
                    options.constData()) != 0) {
            error_ = QStringLiteral("mount: ") + QString::fromLocal8Bit(std::strerror(errno));
            ::close(device_);
            device_ = -1;
            return;
        }
        mounted_ = true;
        server_ = std::thread([this] { serve(); });
    }

    /// Stops serving, closes the device (which fails every call still waiting) and unmounts.
    ~FuseMount() {
        stop_ = true;
        if (server_.joinable()) {
            server_.join();
        }
        if (device_ >= 0) {
            ::close(device_);
        }
        if (mounted_) {
            ::umount2(where_.constData(), MNT_DETACH);
        }
    }
    FuseMount(const FuseMount&) = delete;
    FuseMount& operator=(const FuseMount&) = delete;

    [[nodiscard]] bool mounted() const { return mounted_; }
    [[nodiscard]] const QString& error() const { return error_; }

    /// Stops answering; answers again after `atMost` whatever happens, so that a window
    /// thread caught in the file system fails its test instead of hanging it.
    void freeze(std::chrono::milliseconds atMost) {
        frozenUntil_ = (std::chrono::steady_clock::now() + atMost).time_since_epoch().count();
    }
    void thaw() { frozenUntil_ = 0; }

private:
    bool frozen() const {
        return std::chrono::steady_clock::now().time_since_epoch().count() < frozenUntil_.load();
    }

    void serve() {
        std::vector<char> buffer(FUSE_MIN_READ_BUFFER + 1024 * 1024);
        while (!stop_) {
            if (frozen()) {
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
                continue;
            }
            pollfd ready{device_, POLLIN, 0};
            if (::poll(&ready, 1, 20) <= 0) {
                continue;
            }
            const ssize_t got = ::read(device_, buffer.data(), buffer.size());
            if (got < static_cast<ssize_t>(sizeof(fuse_in_header))) {
                continue;
            }
            fuse_in_header header{};
            std::memcpy(&header, buffer.data(), sizeof(header));
            answer(header, buffer.data() + sizeof(header));
        }
    }

    template <class T> void reply(const fuse_in_header& in, const T& payload, std::size_t size = sizeof(T)) {
        fuse_out_header out{};
        out.len = static_cast<std::uint32_t>(sizeof(out) + size);
        out.unique = in.unique;
        std::vector<char> bytes(out.len);
        std::memcpy(bytes.data(), &out, sizeof(out));
        std::memcpy(bytes.data() + sizeof(out), &payload, size);
        (void)::write(device_, bytes.data(), bytes.size());
    }

    void fail(const fuse_in_header& in, int error) {
        fuse_out_header out{};
        out.len = sizeof(out);
        out.error = -error;
        out.unique = in.unique;
        (void)::write(device_, &out, sizeof(out));
    }

    void answer(const fuse_in_header& in, const char* body) {
        switch (in.opcode) {
        case FUSE_INIT: {
            fuse_init_in request{};
            std::memcpy(&request, body, sizeof(request));
            fuse_init_out init{};
            init.major = FUSE_KERNEL_VERSION;
            init.minor = std::min<std::uint32_t>(request.minor, FUSE_KERNEL_MINOR_VERSION);
            init.max_readahead = request.max_readahead;
            init.max_background = 16;
            init.congestion_threshold = 12;
            init.max_write = 65536;
            init.time_gran = 1;
            reply(in, init, init.minor < 23 ? FUSE_COMPAT_22_INIT_OUT_SIZE : sizeof(init));
            break;
        }
        case FUSE_GETATTR: {
            fuse_attr_out attr{}; // valid for no time: every stat asks again
            attr.attr.ino = in.nodeid;
            attr.attr.mode = S_IFDIR | 0755;
            attr.attr.nlink = 2;
            attr.attr.blksize = blockSize;
            reply(in, attr);
            break;
        }
        case FUSE_STATFS: {
            fuse_statfs_out figures{};
            figures.st.blocks = blocks;
            figures.st.bfree = freeBlocks;
            figures.st.bavail = freeBlocks;
            figures.st.files = 100;
            figures.st.ffree = 100;
            figures.st.bsize = blockSize;
            figures.st.frsize = blockSize;
            figures.st.namelen = 255;
            reply(in, figures);
            break;
        }
        case FUSE_FORGET:
        case FUSE_BATCH_FORGET:
        case FUSE_INTERRUPT:
            break; // never answered
        case FUSE_LOOKUP:
            fail(in, ENOENT); // the folder is empty
            break;
        default:
            fail(in, ENOSYS);
            break;
        }
    }

    QByteArray where_;
    int device_ = -1;
    bool mounted_ = false;
    QString error_;
    std::thread server_;
    std::atomic<bool> stop_{false};
    std::atomic<std::chrono::steady_clock::rep> frozenUntil_{0};
};
