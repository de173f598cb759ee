#pragma once
#include "stowline/FileOps.h"

#include <algorithm>
#include <cerrno>
#include <exception>
#include <filesystem>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <system_error>

namespace stowline::test {

/// The system's file operations with faults injected on demand: a chosen error (or a thrown
/// exception) at the Nth write to a path, at the Nth read, at create, close or rename,
/// plus short transfers and EINTR on every other call. Safe to share between threads.
class FaultyFileOps : public FileOps {
public:
    static std::error_code code(int value) { return {value, std::system_category()}; }

    /// The `nth` (from 1) write call to `file` fails with `errnoValue`.
    void failWrite(const std::filesystem::path& file, int nth, int errnoValue) {
        std::lock_guard lock(mutex_);
        writeFaults_[file] = {nth, code(errnoValue), nullptr};
    }
    /// The `nth` write call to `file` throws `error` instead of returning.
    void throwOnWrite(const std::filesystem::path& file, int nth, std::function<void()> thrower) {
        std::lock_guard lock(mutex_);
        writeFaults_[file] = {nth, {}, std::move(thrower)};
    }
    /// `action(nth)` runs before the nth write call to `file`, for every n, outside any lock:
    /// it may block or sleep to hold one writer back while the others go on.
    void beforeWrite(const std::filesystem::path& file, std::function<void(int)> action) {
        std::lock_guard lock(mutex_);
        writeActions_[file] = std::move(action);
    }
    /// The `nth` (from 1) read call fails with `errnoValue`.
    void failRead(int nth, int errnoValue) {
        std::lock_guard lock(mutex_);
        readFault_ = {nth, code(errnoValue)};
    }
    void failCreate(const std::filesystem::path& file, int errnoValue) {
        set(createFaults_, file, errnoValue);
    }
    void failClose(const std::filesystem::path& file, int errnoValue) { set(closeFaults_, file, errnoValue); }
    void failRename(const std::filesystem::path& to, int errnoValue) { set(renameFaults_, to, errnoValue); }
    /// Every read and write passes at most a third of what was asked (at least one byte).
    void shortTransfers() { short_ = true; }
    /// Every other read and write fails with EINTR before doing anything.
    void interruptEveryOther() { interrupt_ = true; }

    [[nodiscard]] int writeCalls(const std::filesystem::path& file) {
        std::lock_guard lock(mutex_);
        return writeCounts_[file];
    }

    /// What reading back `file` (opened by openForReadBack) meets from now on.
    enum class ReadBackFault {
        error,     ///< every read fails with EIO
        endsEarly, ///< every read finds the end of the file
        shortOnce, ///< the first read returns less than it could, unaligned; the rest is honest
    };
    void failReadBack(const std::filesystem::path& file, ReadBackFault fault) {
        std::lock_guard lock(mutex_);
        readBackFaults_[file] = fault;
    }

    UniqueFd openForReading(const std::filesystem::path& path, std::error_code& error) override {
        UniqueFd fd = system().openForReading(path, error);
        forgetReadBack(fd);
        return fd;
    }

    UniqueFd openForReadBack(const std::filesystem::path& path, bool direct,
                             std::error_code& error) override {
        UniqueFd fd = system().openForReadBack(path, direct, error);
        std::lock_guard lock(mutex_);
        if (const auto fault = readBackFaults_.find(path); fd && fault != readBackFaults_.end()) {
            readBacks_[fd.get()] = {fault->second, 0};
        } else if (fd) {
            readBacks_.erase(fd.get());
        }
        return fd;
    }

    std::int64_t read(int fd, std::span<std::byte> buffer, std::error_code& error) override {
        {
            std::lock_guard lock(mutex_);
            if (const auto readBack = readBacks_.find(fd); readBack != readBacks_.end()) {
                switch (readBack->second.first) {
                case ReadBackFault::error:
                    error = code(EIO);
                    return -1;
                case ReadBackFault::endsEarly:
                    return 0;
                case ReadBackFault::shortOnce:
                    if (readBack->second.second++ == 0) {
                        buffer = buffer.first(std::min<std::size_t>(buffer.size(), 100));
                    }
                    break;
                }
                return system().read(fd, buffer, error);
            }
            if (interruptNow()) {
                error = code(EINTR);
                return -1;
            }
            ++readCount_;
            if (readFault_ && readFault_->first == readCount_) {
                error = readFault_->second;
                return -1;
            }
        }
        return system().read(fd, shortened(buffer), error);
    }

    std::error_code createDirectories(const std::filesystem::path& folder) override {
        return system().createDirectories(folder);
    }

    UniqueFd createForWriting(const std::filesystem::path& path, std::error_code& error) override {
        if (auto fault = lookup(createFaults_, path)) {
            error = *fault;
            return {};
        }
        UniqueFd fd = system().createForWriting(path, error);
        forgetReadBack(fd);
        if (fd) {
            std::lock_guard lock(mutex_);
            paths_[fd.get()] = path;
        }
        return fd;
    }

    std::int64_t write(int fd, std::span<const std::byte> data, std::error_code& error) override {
        std::function<void()> thrower;
        std::function<void(int)> action;
        std::optional<std::error_code> fault;
        int count = 0;
        {
            std::lock_guard lock(mutex_);
            if (interruptNow()) {
                error = code(EINTR);
                return -1;
            }
            const auto& path = paths_[fd];
            count = ++writeCounts_[path];
            if (auto it = writeActions_.find(path); it != writeActions_.end()) {
                action = it->second;
            }
            if (auto it = writeFaults_.find(path); it != writeFaults_.end() && it->second.nth == count) {
                if (!it->second.thrower) {
                    fault = it->second.error;
                } else {
                    thrower = it->second.thrower;
                }
            }
        }
        if (action) {
            action(count);
        }
        if (fault) {
            error = *fault;
            return -1;
        }
        if (thrower) {
            thrower();
        }
        return system().write(fd, shortened(data), error);
    }

    std::error_code close(UniqueFd fd) override {
        std::filesystem::path path;
        {
            std::lock_guard lock(mutex_);
            if (auto it = paths_.find(fd.get()); it != paths_.end()) {
                path = it->second;
                paths_.erase(it);
            }
        }
        const auto error = system().close(std::move(fd));
        if (auto fault = lookup(closeFaults_, path); fault && !path.empty()) {
            return *fault;
        }
        return error;
    }

    std::optional<FileStatus> status(const std::filesystem::path& path, std::error_code& error) override {
        return system().status(path, error);
    }
    std::optional<FileStatus> status(int fd, std::error_code& error) override {
        return system().status(fd, error);
    }

    std::error_code rename(const std::filesystem::path& from, const std::filesystem::path& to) override {
        if (auto fault = lookup(renameFaults_, to)) {
            return *fault;
        }
        return system().rename(from, to);
    }

    std::error_code unlink(const std::filesystem::path& path) override { return system().unlink(path); }

    /// Every sync of the file system holding `root` fails with `errnoValue`.
    void failSync(const std::filesystem::path& root, int errnoValue) { set(syncFaults_, root, errnoValue); }

    std::error_code syncFileSystem(int fd) override {
        std::error_code ignored;
        const auto folder = std::filesystem::read_symlink("/proc/self/fd/" + std::to_string(fd), ignored);
        if (auto fault = lookup(syncFaults_, folder)) {
            return *fault;
        }
        return system().syncFileSystem(fd);
    }

    std::error_code setModificationTime(const std::filesystem::path& path,
                                        const std::timespec& time) override {
        return system().setModificationTime(path, time);
    }

private:
    /// Read-back descriptors are closed without this double: a number given out again is
    /// not one any more.
    void forgetReadBack(const UniqueFd& fd) {
        std::lock_guard lock(mutex_);
        readBacks_.erase(fd.get());
    }

    struct WriteFault {
        int nth = 0;
        std::error_code error;
        std::function<void()> thrower;
    };
    using Faults = std::map<std::filesystem::path, std::error_code>;

    void set(Faults& faults, const std::filesystem::path& path, int errnoValue) {
        std::lock_guard lock(mutex_);
        faults[path] = code(errnoValue);
    }
    std::optional<std::error_code> lookup(const Faults& faults, const std::filesystem::path& path) {
        std::lock_guard lock(mutex_);
        if (auto it = faults.find(path); it != faults.end()) {
            return it->second;
        }
        return std::nullopt;
    }
    bool interruptNow() { return interrupt_ && (interruptToggle_ = !interruptToggle_); }
    template <class Span> Span shortened(Span span) const {
        return short_ && span.size() > 1 ? span.first(std::max<std::size_t>(1, span.size() / 3)) : span;
    }

    std::map<std::filesystem::path, ReadBackFault> readBackFaults_;
    std::map<int, std::pair<ReadBackFault, int>>
        readBacks_; ///< open read-backs meeting a fault, reads so far
    std::mutex mutex_;
    std::map<std::filesystem::path, WriteFault> writeFaults_;
    std::map<std::filesystem::path, int> writeCounts_;
    std::map<std::filesystem::path, std::function<void(int)>> writeActions_;
    std::map<int, std::filesystem::path> paths_;
    std::optional<std::pair<int, std::error_code>> readFault_;
    int readCount_ = 0;
    Faults createFaults_, closeFaults_, renameFaults_, syncFaults_;
    bool short_ = false;
    bool interrupt_ = false;
    bool interruptToggle_ = false;
};

} // namespace stowline::test
