#pragma once
#include "stowline/HashFormat.h"
#include "stowline/ReportWriter.h"
#include "stowline/SupportedLanguage.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace cli {

/// What the offload command does when a destination fills up before the job is done.
enum class OnFull { ask, drop, wait };

/// A command line the offload command refuses; said with the usage.
struct UsageError {
    std::string message;
};

/// The offload command's arguments, as typed.
struct OffloadArguments {
    static constexpr const char* usage = "usage: stowline-cli offload SOURCE... --dest DIR [--dest DIR ...] "
                                         "[--on-full ask|drop|wait] [--sequential] [--no-wait] [--no-mhl] "
                                         "[--no-txt] [--pdf] [--ascmhl] [--ascmhl-hash xxh128|md5|sha1] "
                                         "[--lang en|pt-BR]\n";

    std::vector<std::filesystem::path> sources;
    std::vector<std::filesystem::path> destinations;
    std::optional<OnFull> onFull;
    bool sequential = false;
    bool noWait = false; ///< refuse, rather than wait, when another job writes to a destination
    stowline::ReportFormats formats = stowline::ReportFormats::both();
    std::optional<stowline::HashFormats> ascMhl; ///< the formats of the ASC MHL histories, when written
    std::optional<stowline::SupportedLanguage> language; ///< none: resolved as the application does

    /// Throws UsageError, in English, for what cannot be read.
    [[nodiscard]] static OffloadArguments parse(const std::vector<std::string>& args);

    /// Refuses what would write nowhere sensible, before anything is written. In the chosen
    /// language: call once it is active. Throws UsageError.
    void validate() const;

    /// Every source and destination from the root, "." and ".." resolved lexically (a symbolic
    /// link stays as typed), without a trailing slash.
    void makeAbsolute();
};

} // namespace cli
