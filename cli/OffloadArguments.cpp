#include "OffloadArguments.h"
#include "OffloadText.h"
#include "Say.h"

#include "settings/FailureText.h"
#include "stowline/PathOverlap.h"

#include <algorithm>

namespace cli {

namespace fs = std::filesystem;
using namespace stowline;

namespace {

/// `path` from the root, "." and ".." resolved lexically (a symbolic link stays as typed),
/// without a trailing slash.
fs::path absoluteOf(const fs::path& path) {
    std::error_code error;
    fs::path absolute = fs::absolute(path, error);
    if (error) {
        return path;
    }
    absolute = absolute.lexically_normal();
    if (!absolute.has_filename() && absolute.has_relative_path()) {
        absolute = absolute.parent_path();
    }
    return absolute;
}

} // namespace

OffloadArguments OffloadArguments::parse(const std::vector<std::string>& args) {
    OffloadArguments parsed;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool hasValue = i + 1 < args.size();
        if (arg == "--dest") {
            if (!hasValue) {
                throw UsageError{"--dest needs a folder"};
            }
            parsed.destinations.emplace_back(args[++i]);
        } else if (arg == "--on-full") {
            if (!hasValue) {
                throw UsageError{"--on-full needs ask, drop or wait"};
            }
            const std::string& value = args[++i];
            if (value == "ask") {
                parsed.onFull = OnFull::ask;
            } else if (value == "drop") {
                parsed.onFull = OnFull::drop;
            } else if (value == "wait") {
                parsed.onFull = OnFull::wait;
            } else {
                throw UsageError{"--on-full takes ask, drop or wait, not '" + value + "'"};
            }
        } else if (arg == "--sequential") {
            parsed.sequential = true;
        } else if (arg == "--no-wait") {
            parsed.noWait = true;
        } else if (arg == "--no-mhl") {
            parsed.formats.remove(ReportFormats::mhl());
        } else if (arg == "--no-txt") {
            parsed.formats.remove(ReportFormats::text());
        } else if (arg == "--pdf") {
            parsed.formats.insert(ReportFormats::pdf());
        } else if (arg == "--ascmhl") {
            parsed.ascMhl = parsed.ascMhl.value_or(HashFormats{HashFormat::xxh64});
        } else if (arg == "--ascmhl-hash") {
            const std::string value = hasValue ? args[++i] : std::string();
            const auto format = hashFormatNamed(value);
            if (!format || (*format != HashFormat::xxh128 && *format != HashFormat::md5 &&
                            *format != HashFormat::sha1 && *format != HashFormat::xxh64)) {
                throw UsageError{"--ascmhl-hash takes xxh128, md5 or sha1" +
                                 (value.empty() ? std::string() : ", not '" + value + "'")};
            }
            parsed.ascMhl = parsed.ascMhl.value_or(HashFormats{HashFormat::xxh64});
            parsed.ascMhl->insert(*format);
        } else if (arg == "--lang") {
            if (!hasValue) {
                throw UsageError{"--lang needs en or pt-BR"};
            }
            const std::string& value = args[++i];
            parsed.language = supportedLanguageFromRaw(value);
            if (!parsed.language) {
                throw UsageError{"--lang takes en or pt-BR, not '" + value + "'"};
            }
        } else if (arg == "--") {
            for (++i; i < args.size(); ++i) {
                parsed.sources.emplace_back(args[i]);
            }
        } else if (arg.size() > 1 && arg.front() == '-') {
            throw UsageError{"unknown option '" + arg + "'"};
        } else {
            parsed.sources.emplace_back(arg);
        }
    }
    if (parsed.sources.empty()) {
        throw UsageError{"no source given"};
    }
    if (parsed.destinations.empty()) {
        throw UsageError{"no destination given (--dest DIR)"};
    }
    return parsed;
}

void OffloadArguments::validate() const {
    using OffloadText::shown;
    std::vector<fs::path> roots;
    for (const auto& dest : destinations) {
        std::error_code error;
        if (!fs::is_directory(dest, error)) {
            throw UsageError{say("cli.offload.dest_not_folder", shown(dest))};
        }
        const fs::path canonical = fs::canonical(dest, error);
        if (error) {
            throw UsageError{
                say("cli.offload.dest_unresolved", shown(dest), FailureText::systemReason(error.value()))};
        }
        // Device and inode, so that a second spelling through a bind mount is caught too.
        if (std::any_of(roots.begin(), roots.end(),
                        [&](const fs::path& root) { return fs::equivalent(root, canonical, error); })) {
            throw UsageError{say("cli.offload.dest_twice", shown(dest))};
        }
        roots.push_back(canonical);
    }
    for (const auto& source : sources) {
        for (std::size_t i = 0; i < destinations.size(); ++i) {
            // Copying a card into a folder on that same card would make the next offload of
            // the card copy its own copies; a source straight inside a destination would be
            // copied onto itself. Links and bind mounts are seen through.
            switch (pathOverlap(source, destinations[i])) {
            case PathOverlap::destinationInsideSource:
                throw UsageError{
                    say("cli.offload.dest_inside_source", shown(destinations[i]), shown(source))};
            case PathOverlap::sourceInDestination:
                throw UsageError{say("cli.offload.source_in_dest", shown(source), shown(destinations[i]))};
            case PathOverlap::none:
                break;
            }
        }
    }
}

void OffloadArguments::makeAbsolute() {
    for (auto* paths : {&sources, &destinations}) {
        for (auto& path : *paths) {
            path = absoluteOf(path);
        }
    }
}

} // namespace cli
