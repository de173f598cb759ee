#include "Commands.h"

#include "stowline/FileScanner.h"

#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <filesystem>

namespace cli {

int runScan(const std::vector<std::string>& args) {
    if (args.empty()) {
        std::fputs("usage: stowline-cli scan ITEM...\n", stderr);
        return 2;
    }
    const std::vector<std::filesystem::path> items(args.begin(), args.end());
    std::vector<stowline::ScannedFile> files;
    try {
        files = stowline::FileScanner::scan(items);
    } catch (const stowline::ScanError& error) {
        std::fprintf(stderr, "stowline-cli: scan failed: %s\n", error.what());
        return 1;
    }
    for (const auto& file : files) {
        std::printf("%s\t%" PRId64 "\n", file.relativePath.c_str(), file.size);
    }
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        std::fprintf(stderr, "stowline-cli: cannot write the output: %s\n", std::strerror(errno));
        return 1;
    }
    return 0;
}

} // namespace cli
