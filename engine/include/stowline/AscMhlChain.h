#pragma once
#include "stowline/AscMhlManifest.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace stowline {

/// One generation as the chain file lists it.
struct AscMhlChainEntry {
    std::int64_t sequenceNumber = 0; ///< the generation number
    std::string path;                ///< the manifest's file name in the history folder
    std::string c4;                  ///< C4 ID of the manifest's exact bytes
    int line = 0;                    ///< where it is listed (0 when not read from a file)
    bool operator==(const AscMhlChainEntry&) const = default;
};

/// The chain file "ascmhl_chain.xml" (namespace urn:ASC:MHL:DIRECTORY:v2.0). Stateless; any thread.
namespace AscMhlChainFormat {

inline constexpr std::string_view fileName = "ascmhl_chain.xml";
inline constexpr std::size_t maximumDocumentBytes = 64u << 20; ///< larger chains are refused unread

/// The document, in the given order, LF line ends, ending with a line feed. Paths must
/// satisfy AscMhlManifestFormat::xmlCanHold.
[[nodiscard]] std::string render(const std::vector<AscMhlChainEntry>& entries);

/// The entries in document order, path and c4 exactly as written. Throws AscMhlError for
/// malformed XML, a document that is not a chain, or an entry without a positive
/// sequence number, a path or a c4.
[[nodiscard]] std::vector<AscMhlChainEntry> parse(std::string_view document);

} // namespace AscMhlChainFormat
} // namespace stowline
