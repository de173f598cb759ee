#include "stowline/HashList.h"

#include "HashListBuilder.h"
#include "WholeFile.h"
#include "stowline/FileOps.h"

#include <string>

namespace stowline::HashListReader {
namespace {

HashList parseInto(std::string_view document, const EntrySink* sink) {
    if (document.size() > maximumDocumentBytes) {
        throw HashListError(0, "the hash list is larger than " + std::to_string(maximumDocumentBytes >> 20) +
                                   " MiB");
    }
    return hashlist::buildHashList(document, sink);
}

HashList readInto(const std::filesystem::path& path, const EntrySink* sink, FileOps& ops) {
    WholeFileError failure;
    // A link is followed: a list may be reached through one.
    const auto document = readWholeFile(path, maximumDocumentBytes, failure, ops, LinkAtPath::follow);
    if (!document) {
        throw HashListError(0, failure.what, path.string(), failure.errorNumber);
    }
    try {
        return parseInto(*document, sink);
    } catch (const HashListError& error) {
        throw HashListError(error.line(), error.detail(), path.string());
    }
}

} // namespace

HashList parse(std::string_view document) {
    return parseInto(document, nullptr);
}

HashList read(const std::filesystem::path& path) {
    return readInto(path, nullptr, FileOps::system());
}

HashList read(const std::filesystem::path& path, const EntrySink& sink, FileOps& ops) {
    return readInto(path, &sink, ops);
}

} // namespace stowline::HashListReader
