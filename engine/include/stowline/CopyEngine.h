#pragma once
#include "stowline/AscMhlOptions.h"
#include "stowline/CopyJob.h"
#include "stowline/EngineControl.h"
#include "stowline/EventStream.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <thread>

namespace stowline {

class FileOps;

/// Capacity figures of the volume holding a path, as the room check reads them.
struct VolumeCapacity {
    std::optional<std::int64_t> importantUsage; ///< Linux has no such figure: none
    std::optional<std::int64_t> plain;          ///< available to an unprivileged user
    bool isRootVolume = false;                  ///< the mount point is "/"
};

/// Runs one job on a dedicated thread and streams its events. One engine per job.
class CopyEngine {
public:
    /// Hash of a file read back from its device; throws on failure (CopyError::cancelled
    /// ends the run). A fresh copy is read back under its temporary name, before it takes its
    /// final one. Unless the job is sequential it is called for the copies of one file from
    /// several threads at once, so it must be thread-safe.
    using VerifyFunction = std::function<std::uint64_t(const std::filesystem::path&)>;
    /// Capacity figures of a path's volume, or none when they cannot be read.
    using CapacityProbe = std::function<std::optional<VolumeCapacity>(const std::filesystem::path&)>;

    struct Options {
        VerifyFunction verify;            ///< replaces the physical re-read when set
        CapacityProbe capacity;           ///< replaces statvfs when set (tests)
        std::shared_ptr<FileOps> fileOps; ///< replaces the system's file operations (tests); thread-safe
        /// Write and verify the destinations one after another, on the run's thread, rather than
        /// each on a thread of its own: for folders that share one disk, where parallel writers
        /// only seek against each other. Unset, the job chooses: one after another exactly when
        /// every destination lies on the same disk.
        std::optional<bool> sequential;
        /// When set, every picked folder copied gets a new generation of its ASC MHL history at
        /// every destination, from the job's own hashes; histories that arrive inside the
        /// folders are checked as read and continued. Off by default.
        std::optional<AscMhlOptions> ascMhl;
    };

    CopyEngine();
    explicit CopyEngine(Options options);
    /// Cancels a run still going and joins its thread.
    ~CopyEngine();
    CopyEngine(const CopyEngine&) = delete;
    CopyEngine& operator=(const CopyEngine&) = delete;

    [[nodiscard]] EngineControl& control() { return *control_; }

    /// Starts the job on a new thread and returns its event stream at once. The stream
    /// ends right after the finished event. Call once per engine: a second call returns a
    /// stream that has already ended. Events go only to a consumer that still holds the stream.
    [[nodiscard]] std::shared_ptr<EventStream> run(CopyJob job);

    /// Usable free bytes on the volume holding `at`, or -1.
    [[nodiscard]] static std::int64_t freeSpace(const std::filesystem::path& at);
    /// Total capacity of the volume holding `at`, or -1.
    [[nodiscard]] static std::int64_t totalSpace(const std::filesystem::path& at);
    /// (capacity - free) / capacity when 1 <= capacity and 0 <= free <= capacity.
    [[nodiscard]] static std::optional<double> usedFraction(std::int64_t free, std::int64_t capacity);
    [[nodiscard]] static std::int64_t bestAvailableCapacity(std::optional<std::int64_t> importantUsage,
                                                            std::optional<std::int64_t> plain,
                                                            bool isRootVolume);
    /// statvfs figures for a path, or none.
    [[nodiscard]] static std::optional<VolumeCapacity> readCapacity(const std::filesystem::path& at);
    /// The same for a path already known to lie on the system's volume or not: one statvfs.
    [[nodiscard]] static std::optional<VolumeCapacity> readCapacity(const std::filesystem::path& at,
                                                                    bool isRootVolume);

private:
    class Run;
    Options options_;
    std::shared_ptr<EngineControl> control_;
    std::thread thread_;
};

} // namespace stowline
