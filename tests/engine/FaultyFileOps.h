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
/// exception) at the Nth write to a path, at the Nth read, at create, close, rename or sync,
/// faulty read-backs, plus short transfers and EINTR on every other call. Safe to share
/// between threads.
class FaultyFileOps : public FileOps {
public:
    using Path = std::filesystem::path;
    static std::error_code code(int value) { return {value, std::system_category()}; }

    /// The `nth` (from 1) write call to `file` fails with `errnoValue`.
    void failWrite(const Path& file, int nth, int errnoValue) {
        setWrite(file, {nth, code(errnoValue), nullptr});
    }
    /// The `nth` write call to `file` throws `error` instead of returning.
    void throwOnWrite(const Path& file, int nth, std::function<void()> thrower) {
        setWrite(file, {nth, {}, std::move(thrower)});
    }
    /// `action(nth)` runs before the nth write call to `file`, for every n, outside any lock:
    /// it may block or sleep to hold one writer back while the others go on.
    void beforeWrite(const Path& file, std::function<void(int)> action) {
        std::lock_guard lock(mutex_);
        writeActions_[file] = std::move(action);
    }
    /// The `nth` (from 1) read call fails with `errnoValue`.
    void failRead(int nth, int errnoValue) {
        std::lock_guard lock(mutex_);
        readFault_ = {nth, code(errnoValue)};
    }
    void failCreate(const Path& file, int errnoValue) { set(Call::create, file, errnoValue); }
    void failClose(const Path& file, int errnoValue) { set(Call::close, file, errnoValue); }
    void failRename(const Path& to, int errnoValue) { set(Call::rename, to, errnoValue); }
    /// Every sync of the file system holding `root` fails with `errnoValue`.
    void failSync(const Path& root, int errnoValue) { set(Call::sync, root, errnoValue); }
    /// Every read and write passes at most a third of what was asked (at least one byte).
    void shortTransfers() { short_ = true; }
    /// Every other read and write fails with EINTR before doing anything.
    void interruptEveryOther() { interrupt_ = true; }

    [[nodiscard]] int writeCalls(const Path& file) {
        std::lock_guard lock(mutex_);
        return writeCounts_[file];
    }

    /// What reading back `file` (opened by openForReadBack) meets from now on.
    enum class ReadBackFault {
        error,     ///< every read fails with EIO
        endsEarly, ///< every read finds the end of the file
        shortOnce, ///< the first read returns less than it could, unaligned; the rest is honest
    };
    void failReadBack(const Path& file, ReadBackFault fault) {
        std::lock_guard lock(mutex_);
        readBackFaults_[file] = fault;
    }

    UniqueFd openForReading(const Path& file, std::error_code& error) override {
        UniqueFd fd = system().openForReading(file, error);
        forgetReadBack(fd);
        return fd;
    }

    UniqueFd openForReadBack(const Path& file, bool direct, std::error_code& error) override {
        UniqueFd fd = system().openForReadBack(file, direct, error);
        std::lock_guard lock(mutex_);
        if (const auto fault = readBackFaults_.find(file); fd && fault != readBackFaults_.end()) {
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
                auto& [fault, reads] = readBack->second;
                if (fault == ReadBackFault::error) {
                    error = code(EIO);
                    return -1;
                }
                if (fault == ReadBackFault::endsEarly) {
                    return 0;
                }
                if (reads++ == 0) {
                    buffer = buffer.first(std::min<std::size_t>(buffer.size(), 100));
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

    std::error_code createDirectories(const Path& folder) override {
        return system().createDirectories(folder);
    }

    UniqueFd createForWriting(const Path& file, std::error_code& error) override {
        if (auto fault = lookup(Call::create, file)) {
            error = *fault;
            return {};
        }
        UniqueFd fd = system().createForWriting(file, error);
        forgetReadBack(fd);
        if (fd) {
            std::lock_guard lock(mutex_);
            paths_[fd.get()] = file;
        }
        return fd;
    }

    std::int64_t write(int fd, std::span<const std::byte> data, std::error_code& error) override {
        WriteFault fault;
        std::function<void(int)> action;
        int count = 0;
        {
            std::lock_guard lock(mutex_);
            if (interruptNow()) {
                error = code(EINTR);
                return -1;
            }
            const auto& file = paths_[fd];
            count = ++writeCounts_[file];
            if (auto it = writeActions_.find(file); it != writeActions_.end()) {
                action = it->second;
            }
            if (auto it = writeFaults_.find(file); it != writeFaults_.end() && it->second.nth == count) {
                fault = it->second;
            }
        }
        if (action) {
            action(count);
        }
        if (fault.thrower) {
            fault.thrower();
        } else if (fault.nth != 0) {
            error = fault.error;
            return -1;
        }
        return system().write(fd, shortened(data), error);
    }

    std::error_code close(UniqueFd fd) override {
        Path file;
        {
            std::lock_guard lock(mutex_);
            if (auto it = paths_.find(fd.get()); it != paths_.end()) {
                file = it->second;
                paths_.erase(it);
            }
        }
        const auto error = system().close(std::move(fd));
        const auto fault = file.empty() ? std::nullopt : lookup(Call::close, file);
        return fault ? *fault : error;
    }

    std::optional<FileStatus> status(const Path& file, std::error_code& error) override {
        return system().status(file, error);
    }
    std::optional<FileStatus> status(int fd, std::error_code& error) override {
        return system().status(fd, error);
    }
    std::error_code rename(const Path& from, const Path& to) override {
        const auto fault = lookup(Call::rename, to);
        return fault ? *fault : system().rename(from, to);
    }
    std::error_code unlink(const Path& file) override { return system().unlink(file); }
    std::error_code syncFileSystem(int fd) override {
        std::error_code ignored;
        const auto folder = std::filesystem::read_symlink("/proc/self/fd/" + std::to_string(fd), ignored);
        const auto fault = lookup(Call::sync, folder);
        return fault ? *fault : system().syncFileSystem(fd);
    }
    std::error_code setModificationTime(const Path& file, const std::timespec& time) override {
        return system().setModificationTime(file, time);
    }

private:
    enum class Call { create, close, rename, sync };
    struct WriteFault {
        int nth = 0;
        std::error_code error;
        std::function<void()> thrower;
    };

    void setWrite(const Path& file, WriteFault fault) {
        std::lock_guard lock(mutex_);
        writeFaults_[file] = std::move(fault);
    }
    void set(Call call, const Path& file, int errnoValue) {
        std::lock_guard lock(mutex_);
        faults_[{call, file}] = code(errnoValue);
    }
    std::optional<std::error_code> lookup(Call call, const Path& file) {
        std::lock_guard lock(mutex_);
        const auto it = faults_.find({call, file});
        return it == faults_.end() ? std::nullopt : std::optional(it->second);
    }
    /// Read-back descriptors are closed without this double: a number given out again is
    /// not one any more.
    void forgetReadBack(const UniqueFd& fd) {
        std::lock_guard lock(mutex_);
        readBacks_.erase(fd.get());
    }
    bool interruptNow() { return interrupt_ && (interruptToggle_ = !interruptToggle_); }
    template <class Span> Span shortened(Span span) const {
        return short_ && span.size() > 1 ? span.first(std::max<std::size_t>(1, span.size() / 3)) : span;
    }

    std::mutex mutex_;
    std::map<Path, ReadBackFault> readBackFaults_;
    std::map<int, std::pair<ReadBackFault, int>>
        readBacks_; ///< open read-backs meeting a fault, reads so far
    std::map<Path, WriteFault> writeFaults_;
    std::map<Path, int> writeCounts_;
    std::map<Path, std::function<void(int)>> writeActions_;
    std::map<int, Path> paths_;
    std::map<std::pair<Call, Path>, std::error_code> faults_;
    std::optional<std::pair<int, std::error_code>> readFault_;
    int readCount_ = 0;
    bool short_ = false;
    bool interrupt_ = false;
    bool interruptToggle_ = false;
};

} // namespace stowline::test
