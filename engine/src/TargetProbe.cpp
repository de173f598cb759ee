#include "TargetProbe.h"

namespace stowline {

TargetProbe TargetProbe::at(FileOps& ops, const std::filesystem::path& root,
                            const std::string& relativePath) {
    TargetProbe probe;
    std::filesystem::path place = root;
    std::size_t start = 0;
    for (;;) {
        const std::size_t slash = relativePath.find('/', start);
        const bool last = slash == std::string::npos;
        place /= relativePath.substr(start, last ? std::string::npos : slash - start);
        std::error_code error;
        auto status = ops.status(place, error);
        if (last) {
            probe.status = status;
            return probe;
        }
        if (!status) {
            return probe;
        }
        if (status->type == FileStatus::Type::symlink) {
            probe.link = place;
            return probe;
        }
        if (status->type != FileStatus::Type::directory) {
            return probe;
        }
        start = slash + 1;
    }
}

std::string TargetProbe::linkMessage(const std::filesystem::path& root, const std::filesystem::path& link) {
    return "\"" + link.lexically_relative(root).string() +
           "\" on this destination is a symbolic link, not a folder; nothing was read or written through it";
}

} // namespace stowline
