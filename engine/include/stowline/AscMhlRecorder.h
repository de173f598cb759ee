#pragma once
#include "stowline/AscMhlHistories.h"
#include "stowline/AscMhlWriter.h"
#include "stowline/Date.h"
#include "stowline/FileScanner.h"
#include "stowline/HashValue.h"

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace stowline {

/// What recording one copied folder at one destination came to.
struct AscMhlFolderOutcome {
    std::filesystem::path root;   ///< the destination root
    std::filesystem::path folder; ///< the copied folder there (the history's folder)
    AscMhlAdoptResult adopted;    ///< what became of histories that came with the source
    AscMhlWriteResult written;    ///< the generations added, and what was left out or failed
};

/// The ASC MHL side of one job. Before the copy it reads the histories that arrive inside
/// the picked folders (a travel drive's, a card offloaded before), so that each file can be
/// checked against its record as it is read. During the copy it collects, per destination,
/// the files proven there with the hashes of the job's own read. At the end it brings each
/// picked folder's histories to each destination and adds a generation there, without
/// reading any file again. Used from one thread (the run's).
class AscMhlRecorder {
public:
    /// `files` and `folders` as the scan gives them (relative paths starting with the picked
    /// item's name). Only picked folders get histories; a file picked alone has none.
    /// `formats` are the hashes to record besides those the arriving histories use.
    AscMhlRecorder(const std::vector<ScannedFile>& files, const std::vector<std::string>& folders,
                   HashFormats formats, AscMhlCreator creator);

    /// True for a file or folder (its relative path in the job) inside the history folder of
    /// a picked folder or of one nested in it, and for that folder itself: not copied as
    /// such, the history is brought over as a whole at the end.
    [[nodiscard]] bool belongsToHistory(std::string_view relativePath) const;
    /// The formats to compute while reading `file`: the chosen ones and those it was recorded in.
    [[nodiscard]] HashFormats formatsFor(const ScannedFile& file) const;
    /// How the bytes just read compare with the file's record in the history it arrived with.
    [[nodiscard]] AscMhlMatch checkSource(const ScannedFile& file, const HashValues& computed) const;
    /// The histories that arrived with the picked folders and cannot be proven, per folder:
    /// their files were checked against what could be read of them.
    [[nodiscard]] std::vector<std::pair<std::filesystem::path, AscMhlProblem>> sourceProblems() const;

    /// `file` is proven at `root`: the bytes there have `hashes` (from the job's source read,
    /// equal to the read-back). Files never reported here are not recorded at that root.
    void proven(const std::filesystem::path& root, const ScannedFile& file, const HashValues& hashes,
                std::optional<Date> modificationDate, Date hashDate);

    /// For each of `roots` and each picked folder: brings its histories over and writes a
    /// generation dated `date` (the job's start). Roots that are gone are passed over. Never
    /// throws.
    [[nodiscard]] std::vector<AscMhlFolderOutcome> finish(const std::vector<std::filesystem::path>& roots,
                                                          Date date) const;

private:
    struct Source {
        std::filesystem::path path;       ///< the picked folder
        std::vector<std::string> folders; ///< below it, relative to it
        AscMhlHistories histories;
    };
    /// The picked folder and the path within it, when `relativePath` lies in a picked folder.
    [[nodiscard]] std::optional<std::pair<const Source*, std::string>>
    locate(std::string_view relativePath) const;

    HashFormats formats_;
    AscMhlCreator creator_;
    std::map<std::string, Source> sources_; ///< by the picked folder's name in the job
    /// Per root and picked folder's name, the files proven there (paths relative to the folder).
    std::map<std::filesystem::path, std::map<std::string, std::vector<AscMhlFile>>> proven_;
};

} // namespace stowline
