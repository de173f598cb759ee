#pragma once
#include "stowline/Date.h"
#include "stowline/DestinationExit.h"
#include "stowline/FileOps.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace stowline {

/// One <hash> block of an MHL 1.1 hash list, with its values decoded and checked for form.
struct HashListEntry {
    std::string file;                         ///< as listed, entities resolved; not yet checked as a path
    std::optional<std::int64_t> size;         ///< bytes, when listed
    std::optional<Date> lastModificationDate; ///< when listed and readable
    std::optional<Date> hashDate;             ///< when listed and readable
    std::optional<std::uint64_t> xxhash64; ///< from <xxhash64be>, or from <xxhash64> with its bytes reversed
    std::optional<std::string> md5;        ///< 32 lower-case hex digits
    std::optional<std::string> sha1;       ///< 40 lower-case hex digits
    std::vector<std::string> otherHashes;  ///< element names of hashes this reader cannot check
    int line = 0;                          ///< where the block starts, for messages
};

/// A whole hash list: the creator's dates and the entries in document order.
struct HashList {
    std::optional<Date> startDate;
    std::optional<Date> finishDate;
    std::optional<IncompleteJob> incomplete; ///< the list's <log> says its job did not finish
    std::vector<HashListEntry> entries;
};

/// Why a hash list could not be read: what is wrong and on which line (0 when the file
/// as a whole is at fault, e.g. too large or unreadable).
class HashListError : public std::runtime_error {
public:
    HashListError(int line, const std::string& detail, const std::string& file = {}, int errorNumber = 0)
        : std::runtime_error((file.empty() ? "" : file + ": ") +
                             (line > 0 ? "line " + std::to_string(line) + ": " : "") + detail),
          line_(line), detail_(detail), errorNumber_(errorNumber) {}
    [[nodiscard]] int line() const { return line_; }
    /// The system's errno when the file could not be opened or read; 0 otherwise.
    [[nodiscard]] int errorNumber() const { return errorNumber_; }
    /// The message without the file and line.
    [[nodiscard]] const std::string& detail() const { return detail_; }

private:
    int line_;
    std::string detail_;
    int errorNumber_;
};

/// Reads MHL 1.1 hash lists with a small strict XML reader of our own: UTF-8 only, the five
/// predefined entities and character references, comments, processing instructions and
/// CDATA; no document type declaration at all (so no entity expansion and no external
/// access), and bounded in size and depth. Stateless; any thread.
namespace HashListReader {

inline constexpr std::size_t maximumDocumentBytes = 256u << 20; ///< larger files are refused unread
inline constexpr int maximumDepth = 32;                         ///< element nesting
inline constexpr std::size_t maximumNameBytes = 256;            ///< element and attribute names
inline constexpr std::size_t maximumTextBytes = 64u << 10;      ///< one element's text or one attribute value

/// The list held in `document`. Throws HashListError for malformed XML, a document that
/// is not a hash list, or a value of the wrong form (size, hash digits).
[[nodiscard]] HashList parse(std::string_view document);

/// Reads and parses the file at `path`. Throws HashListError when it cannot be read, is
/// larger than maximumDocumentBytes (checked before reading), or does not parse.
[[nodiscard]] HashList read(const std::filesystem::path& path);

/// Receives each entry as soon as its block ends; may throw (the read stops there).
using EntrySink = std::function<void(HashListEntry&&)>;

/// The same, handing each entry to `sink` instead of keeping it: memory stays near the
/// document's size whatever the number of entries. Returns the dates, with no entries.
/// Entries handed over before an error stand; the error is thrown as read() throws it.
/// The file is read through `ops`.
[[nodiscard]] HashList read(const std::filesystem::path& path, const EntrySink& sink,
                            FileOps& ops = FileOps::system());

/// The hash lists of a "Hash Log" folder: every ".mhl" directly in it (any letter case; names
/// the scanner ignores left out), in name order. Empty with `error` set when the folder
/// cannot be listed; ENOENT when it does not exist.
[[nodiscard]] std::vector<std::filesystem::path> listsIn(const std::filesystem::path& folder,
                                                         std::error_code& error);

/// "2024-03-05T14:07:09Z", also with fractions of a second and with "+hh:mm"/"-hh:mm"
/// offsets; nullopt for anything else.
[[nodiscard]] std::optional<Date> parseDate(std::string_view text);

} // namespace HashListReader
} // namespace stowline
