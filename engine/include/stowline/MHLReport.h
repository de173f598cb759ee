#pragma once
#include "stowline/Date.h"
#include "stowline/RootSummary.h"
#include "stowline/TextSink.h"

#include <string>
#include <string_view>

namespace stowline {

/// Who made a hash list, on which machine.
struct CreatorInfo {
    std::string fullName;
    std::string userName;
    std::string hostName;

    /// The running account's full name (its GECOS field up to the first comma, or the
    /// account name when that is empty), account name and host name. Any thread; never
    /// throws for missing facts (they become empty texts).
    [[nodiscard]] static CreatorInfo current();
};

/// Renders one destination's share of a job as an MHL 1.1 hash list. Stateless.
namespace MHLReport {

/// One root's share of a job as a whole document, one line per element, ending with a line feed. Failed files
/// are left out. Hashes go into <xxhash64be> (canonical big-endian hex). Names are escaped for XML and
/// anything XML 1.0 cannot hold becomes U+FFFD, so the document is always well-formed. Reads the creator
/// facts of the running system. Any thread.
[[nodiscard]] std::string render(const RootSummary& summary, std::string_view tool);
[[nodiscard]] std::string render(const RootSummary& summary, std::string_view tool,
                                 const CreatorInfo& creator);
/// The same document, handed to `out` a line at a time.
void render(const RootSummary& summary, std::string_view tool, const CreatorInfo& creator,
            const TextSink& out);

/// "2024-03-05T14:07:09Z": UTC, whole seconds (truncated).
[[nodiscard]] std::string isoDate(Date date);

/// A path as a hash list records it, and as a reader gives it back: each byte that does not
/// start well-formed UTF-8, and each character XML 1.0 cannot hold, becomes U+FFFD; the rest
/// is kept. Matching the names on a drive against a list goes through this too. Any thread.
[[nodiscard]] std::string listedPath(std::string_view path);

/// Text as XML element content: the listedPath() form with "&", "<", ">" escaped, and tab,
/// line feed and carriage return as character references (so parsers keep them and each
/// element stays on one line).
[[nodiscard]] std::string xmlText(std::string_view text);

} // namespace MHLReport
} // namespace stowline
