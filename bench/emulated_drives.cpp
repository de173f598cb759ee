// Offloads a virtual card to emulated drives of different speeds through the copier's
// file-operation seam, in parallel and in sequential mode, and compares each with the
// slowest drive alone. Nothing touches a disk: a read or write of n bytes just takes
// n / rate seconds on its device.
//
//   emulated_drives [GiB]    (default 2)
#include "stowline/ChunkPool.h"
#include "stowline/FileCopier.h"
#include "stowline/FileOps.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>

using namespace stowline;
using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

namespace {

constexpr double sourceRate = 400e6;

/// A device that moves `rate` bytes a second, one transfer after another.
struct Device {
    double rate = 0;
    Clock::time_point busyUntil{};

    void transfer(std::size_t bytes) {
        const auto start = std::max(Clock::now(), busyUntil);
        busyUntil = start + std::chrono::duration_cast<Clock::duration>(
                                std::chrono::duration<double>(static_cast<double>(bytes) / rate));
        std::this_thread::sleep_until(busyUntil);
    }
};

/// A source of `size` bytes at 400 MB/s, and one drive per folder "/drive<MB/s>".
class EmulatedDrives final : public FileOps {
public:
    explicit EmulatedDrives(std::int64_t size) : size_(size) {}

    UniqueFd openForReading(const fs::path&, std::error_code& error) override {
        UniqueFd fd(::open("/dev/zero", O_RDONLY | O_CLOEXEC));
        std::lock_guard lock(mutex_);
        devices_[fd.get()] = {Device{sourceRate}, 0};
        error.clear();
        return fd;
    }
    std::int64_t read(int fd, std::span<std::byte> buffer, std::error_code& error) override {
        auto& [device, position] = open(fd);
        const auto n = static_cast<std::size_t>(
            std::min<std::int64_t>(static_cast<std::int64_t>(buffer.size()), size_ - position));
        device.transfer(n);
        position += static_cast<std::int64_t>(n);
        error.clear();
        return static_cast<std::int64_t>(n);
    }
    std::error_code createDirectories(const fs::path&) override { return {}; }
    UniqueFd createForWriting(const fs::path& path, std::error_code& error) override {
        // "/drive100/..." writes at 100 MB/s.
        const double rate = std::stod(std::next(path.begin())->string().substr(5)) * 1e6;
        UniqueFd fd(::open("/dev/null", O_WRONLY | O_CLOEXEC));
        std::lock_guard lock(mutex_);
        devices_[fd.get()] = {Device{rate}, 0};
        error.clear();
        return fd;
    }
    std::int64_t write(int fd, std::span<const std::byte> data, std::error_code& error) override {
        open(fd).first.transfer(data.size());
        error.clear();
        return static_cast<std::int64_t>(data.size());
    }
    std::error_code close(UniqueFd fd) override {
        {
            std::lock_guard lock(mutex_);
            devices_.erase(fd.get());
        }
        fd.reset();
        return {};
    }
    std::optional<FileStatus> status(const fs::path&, std::error_code& error) override {
        error = std::make_error_code(std::errc::no_such_file_or_directory);
        return std::nullopt;
    }
    std::optional<FileStatus> status(int, std::error_code& error) override {
        error.clear();
        return FileStatus{FileStatus::Type::regular, size_, 1, 1};
    }
    std::error_code rename(const fs::path&, const fs::path&) override { return {}; }
    std::error_code unlink(const fs::path&) override { return {}; }
    std::optional<FileDates> dates(int, std::error_code& error) override {
        error = std::make_error_code(std::errc::not_supported);
        return std::nullopt;
    }
    std::error_code setModificationTime(const fs::path&, const std::timespec&) override { return {}; }
    std::error_code syncFileSystem(int) override { return {}; }

private:
    std::pair<Device, std::int64_t>& open(int fd) {
        std::lock_guard lock(mutex_);
        return devices_.at(fd); // map nodes stay put; each fd is used by one thread
    }

    std::int64_t size_;
    std::mutex mutex_;
    std::map<int, std::pair<Device, std::int64_t>> devices_;
};

double secondsFor(std::int64_t size, const std::vector<fs::path>& drives, FileCopier::Mode mode) {
    EmulatedDrives ops(size);
    ChunkPool buffers;
    const auto start = Clock::now();
    const auto result = FileCopier::copy("/card/A001C001.MOV", drives, {}, {mode, &ops, &buffers});
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    if (result.bytesCopied != size || result.succeeded.size() != drives.size()) {
        std::fprintf(stderr, "the copy did not complete\n");
        std::exit(1);
    }
    return seconds;
}

} // namespace

int main(int argc, char** argv) {
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    const double gib = argc > 1 ? std::atof(argv[1]) : 2.0;
    const auto size = static_cast<std::int64_t>(gib * 1024 * 1024 * 1024);
    const std::vector<fs::path> all = {"/drive100/A001C001.MOV", "/drive200/A001C001.MOV",
                                       "/drive400/A001C001.MOV"};
    const std::vector<fs::path> slowest = {all[0]};
    const double slowestIdeal = static_cast<double>(size) / 100e6;

    std::printf("%.2f GiB from a 400 MB/s source to drives of 100, 200 and 400 MB/s\n", gib);
    const double alone = secondsFor(size, slowest, FileCopier::Mode::parallel);
    std::printf("slowest drive alone:       %7.2f s  (its write time %.2f s)\n", alone, slowestIdeal);
    const double parallel = secondsFor(size, all, FileCopier::Mode::parallel);
    std::printf("parallel, three drives:    %7.2f s  = %.3fx the slowest alone (goal <= 1.15x)\n", parallel,
                parallel / alone);
    const double sequential = secondsFor(size, all, FileCopier::Mode::sequential);
    const double sum = static_cast<double>(size) * (1 / sourceRate + 1 / 100e6 + 1 / 200e6 + 1 / 400e6);
    std::printf("sequential, three drives:  %7.2f s  = %.3fx the slowest alone; the sum of all "
                "transfers is %.2f s\n",
                sequential, sequential / alone, sum);
    std::printf("parallel / sequential:     %.3f\n", parallel / sequential);
    return 0;
}
