#pragma once
#include "stowline/Date.h"
#include "stowline/DirectoryHashes.h"
#include "stowline/HashValue.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace stowline {

/// How the items of a generation were hashed.
enum class AscMhlProcess {
    transfer, ///< copied by the writing tool in the same job, the copy proven against its source
    inPlace,  ///< hashed where it lies: a later check, or a copy made by other software
    flatten,  ///< a packing list built from other manifests
};
/// "transfer", "in-place", "flatten".
[[nodiscard]] std::string_view toText(AscMhlProcess process);

/// What a file hash says about the history of its path.
enum class AscMhlAction {
    original, ///< the first hash of this path in this history
    verified, ///< hashed again, equal to the earlier record
    failed,   ///< hashed again, different: the new value, never verified against
};
/// "original", "verified", "failed".
[[nodiscard]] std::string_view toText(AscMhlAction action);

/// Who wrote a manifest. Free texts; anything XML cannot hold is written as U+FFFD.
struct AscMhlCreator {
    struct Author {
        std::string name;
        std::string email; ///< written only when it has the form name@domain.tld
        std::string phone;
        std::string role;
        bool operator==(const Author&) const = default;
    };
    std::string hostName;
    std::string toolName;
    std::string toolVersion;
    std::vector<Author> authors;
    std::optional<std::string> location;
    std::optional<std::string> comment;

    /// This machine's host name, "Stowline" and this build's version, and the running
    /// account's full name as the one author. Any thread; never throws.
    [[nodiscard]] static AscMhlCreator current();
    bool operator==(const AscMhlCreator&) const = default;
};

/// One hash of a file in a manifest.
struct AscMhlHash {
    HashValue value;
    std::optional<AscMhlAction> action; ///< none when the manifest gives none
    std::optional<Date> hashDate;
    bool operator==(const AscMhlHash&) const = default;
};

/// One entry of a manifest's hashes: a file with its hashes, or a folder with its two hashes.
struct AscMhlEntry {
    enum class Kind { file, folder };
    Kind kind = Kind::file;
    std::string path; ///< relative to the history's root, "/"-separated, exactly as written
    std::optional<std::int64_t> size;
    std::optional<Date> creationDate;
    std::optional<Date> lastModificationDate;
    std::vector<AscMhlHash> hashes; ///< a file's, in manifest order
    FolderHashes folderHashes;      ///< a folder's
    std::optional<std::string> previousPath;
    int line = 0; ///< where the entry starts, for messages (0 for entries not read from a file)
    bool operator==(const AscMhlEntry&) const = default;
};

/// A nested history's manifest written in the same operation.
struct AscMhlReference {
    std::string path; ///< the manifest's path relative to this history's root
    std::string c4;
    bool operator==(const AscMhlReference&) const = default;
};

/// One generation's manifest.
struct AscMhlManifest {
    Date creationDate{};
    AscMhlCreator creator;
    AscMhlProcess process = AscMhlProcess::transfer;
    std::optional<FolderHashes> rootHash;
    std::vector<std::string> ignorePatterns;
    std::vector<AscMhlEntry> entries; ///< in document order
    std::vector<AscMhlReference> references;
    bool operator==(const AscMhlManifest&) const = default;
};

/// Why a manifest or a chain could not be read.
class AscMhlError : public std::runtime_error {
public:
    AscMhlError(int line, const std::string& detail)
        : std::runtime_error((line > 0 ? "line " + std::to_string(line) + ": " : "") + detail), line_(line),
          detail_(detail) {}
    [[nodiscard]] int line() const { return line_; }
    [[nodiscard]] const std::string& detail() const { return detail_; }

private:
    int line_;
    std::string detail_;
};

/// Writing and reading the manifest XML (namespace urn:ASC:MHL:v2.0). Stateless; any thread.
namespace AscMhlManifestFormat {

inline constexpr std::size_t maximumDocumentBytes = 256u << 20; ///< larger manifests are refused unread

/// The three patterns every history ignores: ".DS_Store", "ascmhl", "ascmhl/".
[[nodiscard]] const std::vector<std::string>& defaultIgnorePatterns();

/// True when XML 1.0 can hold `text` (well-formed UTF-8 without the control characters and
/// non-characters it forbids; tab, line feed and carriage return are fine).
[[nodiscard]] bool xmlCanHold(std::string_view text);

/// `text` as element content: "&", "<", ">" escaped, tab, LF and CR as character references,
/// anything XML cannot hold as U+FFFD.
[[nodiscard]] std::string escapedText(std::string_view text);

/// The document, two spaces per level, one element per line, LF line ends, ending with a
/// line feed. Paths must satisfy xmlCanHold (asserted): they are written exactly, with "&",
/// "<", ">" escaped and tab, LF and CR as character references.
[[nodiscard]] std::string render(const AscMhlManifest& manifest);

/// Receives each entry as soon as it has been read; may throw (the read stops there).
using EntrySink = std::function<void(AscMhlEntry&&)>;

/// Reads a manifest. With a sink, the entries go there one by one and the returned
/// manifest holds none, so that memory stays near the document's size. Throws AscMhlError
/// for malformed XML, a document that is not a manifest, or a malformed value (hash text,
/// size, action, date).
[[nodiscard]] AscMhlManifest parse(std::string_view document, const EntrySink* sink = nullptr);

} // namespace AscMhlManifestFormat
} // namespace stowline
