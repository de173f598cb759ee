// Offloads a card to emulated drives of different speeds through the whole engine, read-back
// included, and compares three drives with the slowest drive alone. Nothing touches a disk:
// every transfer of n bytes takes n / rate seconds on its device, and a drive's reads back
// and writes share its one timeline, as they share a real drive. The card's clips exist on
// disk only so that the scan finds them; their bytes come from the emulated source.
//
//   emulated_drives [card GiB (default 1)] [rounds (default 3)]
//
// Rounds interleave the two runs in alternating order; the ratio is the median of the
// rounds' ratios. The last line is "RESULT ratio=R alone=S three=S sequential=S".
#include "stowline/CopyEngine.h"
#include "stowline/FileOps.h"
#include "stowline/XXHash64.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

using namespace stowline;
using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

namespace {

constexpr double sourceRate = 400e6;
constexpr int clips = 4;

/// A device that moves `rate` bytes a second, one transfer after another.
class Device {
public:
    explicit Device(double rate) : rate_(rate) {}

    void transfer(std::size_t bytes) {
        Clock::time_point until;
        {
            std::lock_guard lock(mutex_);
            const auto start = std::max(Clock::now(), busyUntil_);
            busyUntil_ = start + std::chrono::duration_cast<Clock::duration>(
                                     std::chrono::duration<double>(static_cast<double>(bytes) / rate_));
            until = busyUntil_;
        }
        std::this_thread::sleep_until(until);
    }

private:
    double rate_;
    std::mutex mutex_;
    Clock::time_point busyUntil_{};
};

/// The card's source device and one device per root folder named "drive<MB/s>".
class EmulatedDrives final : public FileOps {
public:
    explicit EmulatedDrives(std::int64_t clipSize) : clipSize_(clipSize), source_(sourceRate) {
        for (const int rate : {100, 200, 400}) {
            drives_.emplace(rate, std::make_unique<Device>(rate * 1e6));
        }
    }

    /// The device of the drive a path lies on.
    Device& driveOf(const fs::path& path) {
        for (const auto& part : path) {
            const std::string name = part.string();
            if (name.starts_with("drive")) {
                return *drives_.at(std::stoi(name.substr(5)));
            }
        }
        std::fprintf(stderr, "no drive in %s\n", path.c_str());
        std::exit(1);
    }

    UniqueFd openForReading(const fs::path&, std::error_code& error) override {
        UniqueFd fd(::open("/dev/zero", O_RDONLY | O_CLOEXEC));
        std::lock_guard lock(mutex_);
        open_[fd.get()] = {&source_, 0};
        error.clear();
        return fd;
    }
    std::int64_t read(int fd, std::span<std::byte> buffer, std::error_code& error) override {
        auto& file = handle(fd);
        const auto n = static_cast<std::size_t>(
            std::min<std::int64_t>(static_cast<std::int64_t>(buffer.size()), clipSize_ - file.position));
        file.device->transfer(n);
        std::fill_n(buffer.data(), n, std::byte{0});
        file.position += static_cast<std::int64_t>(n);
        error.clear();
        return static_cast<std::int64_t>(n);
    }
    std::error_code createDirectories(const fs::path&) override { return {}; }
    UniqueFd createForWriting(const fs::path& path, std::error_code& error) override {
        UniqueFd fd(::open("/dev/null", O_WRONLY | O_CLOEXEC));
        std::lock_guard lock(mutex_);
        open_[fd.get()] = {&driveOf(path), 0};
        error.clear();
        return fd;
    }
    std::int64_t write(int fd, std::span<const std::byte> data, std::error_code& error) override {
        handle(fd).device->transfer(data.size());
        error.clear();
        return static_cast<std::int64_t>(data.size());
    }
    std::error_code close(UniqueFd fd) override {
        {
            std::lock_guard lock(mutex_);
            open_.erase(fd.get());
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
        return FileStatus{FileStatus::Type::regular, clipSize_, 1, 1, {}, {}};
    }
    std::error_code rename(const fs::path&, const fs::path&) override { return {}; }
    std::error_code unlink(const fs::path&) override { return {}; }
    std::error_code setModificationTime(const fs::path&, const std::timespec&) override { return {}; }
    std::error_code syncFileSystem(int) override { return {}; }

private:
    struct Open {
        Device* device = nullptr;
        std::int64_t position = 0;
    };
    Open& handle(int fd) {
        std::lock_guard lock(mutex_);
        return open_.at(fd); // map nodes stay put; each descriptor is used by one thread
    }

    std::int64_t clipSize_;
    Device source_;
    std::map<int, std::unique_ptr<Device>> drives_;
    std::mutex mutex_;
    std::map<int, Open> open_;
};

/// One job to the given roots; its wall-clock seconds.
double offload(const fs::path& card, const std::vector<fs::path>& roots, std::int64_t clipSize,
               bool sequential) {
    auto drives = std::make_shared<EmulatedDrives>(clipSize);
    CopyEngine::Options options;
    options.fileOps = drives;
    options.sequential = sequential;
    options.capacity = [](const fs::path&) {
        return VolumeCapacity{std::nullopt, std::int64_t{1} << 50, false};
    };
    // The read-back: the whole copy once more from its drive, on the drive's own timeline,
    // hashed chunk by chunk as the real one is.
    options.verify = [drives, clipSize](const fs::path& path) {
        Device& drive = drives->driveOf(path);
        const std::vector<std::byte> chunk(4 << 20);
        XXHash64 hasher(0);
        for (std::int64_t left = clipSize; left > 0; left -= 4 << 20) {
            const auto n = static_cast<std::size_t>(std::min<std::int64_t>(left, 4 << 20));
            drive.transfer(n);
            hasher.update(std::span(chunk).first(n));
        }
        return hasher.finalize();
    };
    CopyEngine engine(options);
    const auto start = Clock::now();
    auto stream = engine.run(CopyJob{{card}, roots});
    std::optional<JobSummary> summary;
    while (auto event = stream->next()) {
        if (const auto* done = event->get<EngineEvent::Finished>()) {
            summary = done->summary;
        }
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    if (!summary || summary->verifiedCount() != clips) {
        std::fprintf(stderr, "the job did not verify every clip\n");
        std::exit(1);
    }
    return seconds;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

} // namespace

int main(int argc, char** argv) {
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    const double gib = argc > 1 ? std::atof(argv[1]) : 1.0;
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
    const auto clipSize = static_cast<std::int64_t>(gib * 1024 * 1024 * 1024 / clips) / 4096 * 4096;

    char pattern[] = "/tmp/stowline-emulated-XXXXXX";
    if (::mkdtemp(pattern) == nullptr) {
        std::perror("mkdtemp");
        return 1;
    }
    const fs::path work = pattern;
    const fs::path card = work / "card";
    fs::create_directories(card);
    for (int i = 1; i <= clips; ++i) {
        // Only the scan reads these: it needs each clip's size. The bytes come from the source.
        const fs::path clip = card / ("C00" + std::to_string(i) + ".MOV");
        std::ofstream(clip).close();
        fs::resize_file(clip, static_cast<std::uintmax_t>(clipSize));
    }
    std::vector<fs::path> all;
    for (const char* name : {"drive100", "drive200", "drive400"}) {
        all.push_back(work / name);
        fs::create_directories(all.back());
    }

    std::printf("%d clips, %.2f GiB, from a %.0f MB/s source to drives of 100, 200 and 400 MB/s, "
                "each copy read back from its drive\n",
                clips, gib, sourceRate / 1e6);
    const double ideal = 2.0 * static_cast<double>(clipSize) * clips / 100e6;
    std::vector<double> alone, three, ratios;
    for (int round = 0; round < rounds; ++round) {
        double a = 0, t = 0;
        if (round % 2 == 0) {
            a = offload(card, {all[0]}, clipSize, false);
            t = offload(card, all, clipSize, false);
        } else {
            t = offload(card, all, clipSize, false);
            a = offload(card, {all[0]}, clipSize, false);
        }
        alone.push_back(a);
        three.push_back(t);
        ratios.push_back(t / a);
        std::printf("round %d: slowest alone %.2f s, three drives %.2f s, ratio %.3f\n", round + 1, a, t,
                    t / a);
    }
    const double sequential = offload(card, all, clipSize, true);
    std::printf("slowest drive's own transfers: %.2f s; three drives one after another: %.2f s\n", ideal,
                sequential);
    std::printf("RESULT ratio=%.3f alone=%.2f three=%.2f sequential=%.2f\n", median(ratios), median(alone),
                median(three), sequential);
    fs::remove_all(work);
    return 0;
}
