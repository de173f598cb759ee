#include "state/PathProbe.h"

#include "state/FileUrl.h"

#include "stowline/AscMhlHistory.h"
#include "stowline/ReportWriter.h"

#include <filesystem>
#include <system_error>

#include <sys/stat.h>

PathProbe PathProbe::source(const QUrl& url, const QList<Mount>& table) {
    PathProbe probe;
    const QByteArray path = FileUrl::nativePath(url);
    struct stat info {};
    if (::stat(path.constData(), &info) != 0) {
        return probe;
    }
    probe.exists = true;
    probe.isDirectory = S_ISDIR(info.st_mode);
    probe.volume = ItemVolume::locate(path, table);
    return probe;
}

PathProbe PathProbe::destination(const QUrl& url, const QList<Mount>& table, const Space& freeSpace,
                                 const Space& totalSpace) {
    PathProbe probe = source(url, table);
    if (probe.isDirectory) {
        probe.freeBytes = freeSpace(url);
        probe.capacityBytes = totalSpace(url);
        probe.hasHashLog = hasHashList(url);
    }
    return probe;
}

bool PathProbe::hasHashList(const QUrl& folder) {
    namespace fs = std::filesystem;
    std::error_code error;
    fs::directory_iterator it(FileUrl::toPath(folder) / stowline::ReportWriter::logFolderName, error);
    for (; !error && it != fs::directory_iterator(); it.increment(error)) {
        if (it->path().extension() == ".mhl" && it->is_regular_file(error)) {
            return true;
        }
    }
    // An ASC MHL history lies in each folder a job copied, right below the destination.
    const fs::path root = FileUrl::toPath(folder);
    if (stowline::AscMhlHistory::existsAt(root)) {
        return true;
    }
    std::size_t looked = 0;
    for (fs::directory_iterator entry(root, error);
         !error && entry != fs::directory_iterator() && looked < 1000; entry.increment(error), ++looked) {
        std::error_code kindError;
        if (entry->symlink_status(kindError).type() == fs::file_type::directory &&
            stowline::AscMhlHistory::existsAt(entry->path())) {
            return true;
        }
    }
    return false;
}
