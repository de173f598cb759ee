#include "stowline/FileCopier.h"

#include "CopySink.h"
#include "WriterCrew.h"
#include "stowline/ChunkPool.h"
#include "stowline/ContentHasher.h"
#include "stowline/CopyError.h"
#include "stowline/FileOps.h"
#include "stowline/XXHash64.h"

#include <algorithm>
#include <array>
#include <span>
#include <string_view>
#include <system_error>

namespace stowline {
namespace {

static_assert(ChunkPool::bufferSize == static_cast<std::size_t>(FileCopier::chunkSize));

/// The source being read, chunk by chunk.
class SourceReader {
public:
    SourceReader(FileOps& ops, int fd, const std::filesystem::path& path) : ops_(ops), fd_(fd), path_(path) {}

    /// Fills `buffer` up to its size or the end of the file; returns the count, 0 at the end,
    /// -1 with `error` set on a read error.
    [[nodiscard]] std::int64_t read(std::span<std::byte> buffer, std::error_code& error) {
        return ops_.readUpTo(fd_, buffer, error);
    }

    [[noreturn]] void fail(const std::error_code& error) const {
        throw std::system_error(error, "Could not read " + quoted(path_));
    }

private:
    FileOps& ops_;
    int fd_;
    const std::filesystem::path& path_;
};

/// What a write step needs: the sinks, the hash and counters it advances, and the callback.
struct CopyState {
    std::vector<CopySink>& sinks;
    CopyResult& result;
    XXHash64& hasher;
    ContentHasher* moreHashes;
    const std::function<void(std::int64_t)>& onChunk;

    void hash(std::span<const std::byte> chunk) {
        hasher.update(chunk);
        if (moreHashes != nullptr) {
            moreHashes->update(chunk);
        }
    }

    void chunkDone(std::int64_t count) {
        result.bytesCopied += count;
        if (onChunk) {
            onChunk(count);
        }
    }
};

/// Writes one chunk to every live sink in order; a sink that fails is dropped and recorded
/// while the others still get the chunk. Returns the number of sinks still live.
std::size_t writeToAll(std::vector<CopySink>& sinks, std::span<const std::byte> chunk,
                       std::vector<DestinationFailure>& failures) {
    std::size_t live = 0;
    for (auto& sink : sinks) {
        if (!sink.live()) {
            continue;
        }
        if (auto failed = sink.write(chunk)) {
            failures.push_back(std::move(*failed));
        } else {
            ++live;
        }
    }
    return live;
}

/// The rest of the file from the calling thread, starting with the `count` bytes already in
/// `buffer`: each chunk written to one sink after another.
void writeSequentially(SourceReader& reader, std::span<std::byte> buffer, std::int64_t count,
                       CopyState& state) {
    while (count > 0) {
        const auto chunk = buffer.first(static_cast<std::size_t>(count));
        state.hash(chunk);
        if (writeToAll(state.sinks, chunk, state.result.failures) == 0) {
            throw CopyError::allDestinationsFailed(state.result.failures);
        }
        state.chunkDone(count);
        if (count < static_cast<std::int64_t>(buffer.size())) {
            return; // a short fill is the end of the file: another read would only return 0
        }
        std::error_code error;
        count = reader.read(buffer, error);
        if (count < 0) {
            reader.fail(error);
        }
    }
}

/// The rest of the file with a writer per sink, starting with the full first chunk already in
/// buffer 0 of `pool`. While chunk i is being written, chunk i + 1 is read and hashed into the
/// other buffer; `onChunk` for chunk i comes once every writer is done with it, and a read
/// error or the end of the file is acted on only after that, as a sequential copy would.
void writeInParallel(SourceReader& reader, ChunkPool& pool, std::int64_t count, CopyState& state) {
    const std::array<std::span<std::byte>, ChunkPool::bufferCount> slots = {pool.buffer(0), pool.buffer(1)};
    // Declared after the sinks it writes to (in the caller), so its threads are joined on
    // every way out before any sink is abandoned.
    WriterCrew crew(state.sinks, slots);
    crew.publish(0, static_cast<std::size_t>(count));
    state.hash(slots[0].first(static_cast<std::size_t>(count)));
    for (std::int64_t index = 0;; ++index) {
        const auto slot = slots[static_cast<std::size_t>(index + 1) % slots.size()];
        std::error_code readError;
        const std::int64_t next = reader.read(slot, readError);
        if (next > 0) {
            crew.publish(index + 1, static_cast<std::size_t>(next));
            state.hash(slot.first(static_cast<std::size_t>(next)));
        }
        if (crew.await(index, state.result.failures) == 0) {
            throw CopyError::allDestinationsFailed(state.result.failures);
        }
        state.chunkDone(count);
        if (next < 0) {
            reader.fail(readError);
        }
        if (next == 0) {
            break;
        }
        count = next;
    }
    crew.stop();
}

/// Gives the modification time of the source to each copy. Linux cannot set a birth time;
/// errors are ignored, as a date is not worth failing a verified copy for.
void stampDates(FileOps& ops, const std::timespec& modified,
                const std::vector<std::filesystem::path>& copies) noexcept {
    try {
        for (const auto& copy : copies) {
            (void)ops.setModificationTime(copy, modified);
        }
    } catch (...) {
    }
}

bool sameTime(const std::timespec& a, const std::timespec& b) {
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

/// The same file, unchanged: size and both times as they were.
bool sameFile(const FileStatus& now, const FileStatus& before) {
    return now.size == before.size && sameTime(now.modificationTime, before.modificationTime) &&
           sameTime(now.changeTime, before.changeTime);
}

} // namespace

std::error_code FileCopier::finish(const std::filesystem::path& destination, FileOps* ops) {
    FileOps& files = ops != nullptr ? *ops : FileOps::system();
    return files.rename(temporaryPath(destination), destination);
}

void FileCopier::discard(const std::filesystem::path& destination, FileOps* ops) noexcept {
    try {
        FileOps& files = ops != nullptr ? *ops : FileOps::system();
        (void)files.unlink(temporaryPath(destination));
    } catch (...) {
    }
}

std::filesystem::path FileCopier::temporaryPath(const std::filesystem::path& destination) {
    constexpr std::string_view suffix = ".stowline-partial";
    constexpr std::size_t nameMax = 255; // what Linux file systems allow in one name
    const std::string name = destination.filename().string();
    if (name.size() + suffix.size() <= nameMax) {
        auto temporary = destination;
        temporary += std::string(suffix);
        return temporary;
    }
    // The suffix does not fit after this name: keep as much of its start as fits with a hash
    // of the whole name, so that names sharing that start still get temporaries of their own.
    XXHash64 hasher(0);
    hasher.update(name.data(), name.size());
    const std::string hex = XXHash64::hex(hasher.finalize());
    std::size_t cut = std::min(name.size(), nameMax - suffix.size() - 1 - 16);
    // Never cut just before a UTF-8 continuation byte, so no character is split in two.
    while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80) {
        --cut;
    }
    return destination.parent_path() / (name.substr(0, cut) + "." + hex + std::string(suffix));
}

CopyResult FileCopier::copy(const std::filesystem::path& source,
                            const std::vector<std::filesystem::path>& destinations,
                            const std::function<void(std::int64_t)>& onChunk, FileOps* ops) {
    return copy(source, destinations, onChunk, Options{Mode::parallel, ops, nullptr});
}

CopyResult FileCopier::copy(const std::filesystem::path& source,
                            const std::vector<std::filesystem::path>& destinations,
                            const std::function<void(std::int64_t)>& onChunk, const Options& options) {
    FileOps& ops = options.ops != nullptr ? *options.ops : FileOps::system();

    std::error_code error;
    UniqueFd input = ops.openForReading(source, error);
    if (!input) {
        throw CopyError::sourceUnreadable(source.string(), error.value());
    }
    const auto sourceStatus = ops.status(input.get(), error);

    CopyResult result;
    // Declared after `input` so that on every throw the temporary files go before the source closes.
    std::vector<CopySink> sinks;
    sinks.reserve(destinations.size());
    for (const auto& destination : destinations) {
        if (auto sink = CopySink::prepare(ops, destination, sourceStatus, result.failures)) {
            sinks.push_back(std::move(*sink));
        }
    }
    if (sinks.empty()) {
        throw CopyError::allDestinationsFailed(result.failures);
    }

    // Buffers are a job's when the caller lends its pool: memory stays at a few chunks
    // whatever the number and size of the files, and a small file allocates nothing.
    ChunkPool ownBuffers;
    ChunkPool& pool = options.buffers != nullptr ? *options.buffers : ownBuffers;
    XXHash64 hasher(0);
    CopyState state{sinks, result, hasher, options.moreHashes, onChunk};
    SourceReader reader(ops, input.get(), source);

    const auto first = pool.buffer(0);
    const std::int64_t count = reader.read(first, error);
    if (count < 0) {
        reader.fail(error);
    }
    // A file that ends within its first chunk has nothing to overlap: threads would only cost.
    if (options.mode == Mode::parallel && count == chunkSize) {
        writeInParallel(reader, pool, count, state);
    } else {
        writeSequentially(reader, first, count, state);
    }

    // Size and times again after the read: a file rewritten in place at the same size reads
    // as a mix of old and new bytes that would hash, copy and verify consistently.
    const auto after = ops.status(input.get(), error);
    result.sourceChanged = sourceStatus && (!after || !sameFile(*after, *sourceStatus));
    std::vector<std::filesystem::path> written;
    for (auto& sink : sinks) {
        if (!sink.live()) {
            continue;
        }
        if (auto failed = sink.commit(!options.keepTemporaries)) {
            result.failures.push_back(std::move(*failed));
        } else {
            result.succeeded.push_back(sink.destination());
            written.push_back(options.keepTemporaries ? sink.temporary() : sink.destination());
        }
    }
    if (result.succeeded.empty()) {
        throw CopyError::allDestinationsFailed(result.failures);
    }
    if (after) {
        stampDates(ops, after->modificationTime, written); // the times the source was read with
    }
    result.sourceHash = hasher.finalize();
    return result;
}

} // namespace stowline
