#include "stowline/HashList.h"

#include "HashListBuilder.h"
#include "stowline/UniqueFd.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace stowline::HashListReader {
namespace {

HashList parseInto(std::string_view document, const EntrySink* sink) {
    if (document.size() > maximumDocumentBytes) {
        throw HashListError(0, "the hash list is larger than " + std::to_string(maximumDocumentBytes >> 20) +
                                   " MiB");
    }
    return hashlist::buildHashList(document, sink);
}

HashList readInto(const std::filesystem::path& path, const EntrySink* sink) {
    const auto failure = [&](const std::string& what, int errorNumber = 0) {
        return HashListError(0, what, path.string(), errorNumber);
    };
    // Non-blocking so that a FIFO given by mistake cannot hang the check.
    UniqueFd fd(retryOnEintr([&] { return ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK); }));
    if (!fd) {
        throw failure(std::strerror(errno), errno);
    }
    struct stat status {};
    if (::fstat(fd.get(), &status) != 0) {
        throw failure(std::strerror(errno), errno);
    }
    if (!S_ISREG(status.st_mode)) {
        throw failure("not a regular file");
    }
    if (static_cast<std::uint64_t>(status.st_size) > maximumDocumentBytes) {
        throw failure("larger than " + std::to_string(maximumDocumentBytes >> 20) + " MiB, not read");
    }
    std::string document(static_cast<std::size_t>(status.st_size), '\0');
    std::size_t filled = 0;
    for (;;) {
        if (filled == document.size()) {
            // The file may have grown since fstat; read on, within the limit.
            if (document.size() >= maximumDocumentBytes) {
                char probe = 0;
                if (retryOnEintr([&] { return ::read(fd.get(), &probe, 1); }) > 0) {
                    throw failure("larger than " + std::to_string(maximumDocumentBytes >> 20) +
                                  " MiB, not read");
                }
                break;
            }
            document.resize(std::min(maximumDocumentBytes, document.size() + 65536));
        }
        const ssize_t got = retryOnEintr(
            [&] { return ::read(fd.get(), document.data() + filled, document.size() - filled); });
        if (got < 0) {
            throw failure(std::strerror(errno), errno);
        }
        if (got == 0) {
            break;
        }
        filled += static_cast<std::size_t>(got);
    }
    document.resize(filled);
    try {
        return parseInto(document, sink);
    } catch (const HashListError& error) {
        throw HashListError(error.line(), error.detail(), path.string());
    }
}

} // namespace

HashList parse(std::string_view document) {
    return parseInto(document, nullptr);
}

HashList read(const std::filesystem::path& path) {
    return readInto(path, nullptr);
}

HashList read(const std::filesystem::path& path, const EntrySink& sink) {
    return readInto(path, &sink);
}

} // namespace stowline::HashListReader
