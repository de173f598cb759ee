#include "HashListBuilder.h"

#include "XmlHandler.h"
#include "XmlText.h"
#include "XmlTokenizer.h"
#include "stowline/DestinationExit.h"

#include <algorithm>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace stowline::hashlist {
namespace {

using HashListReader::EntrySink;
using HashListReader::maximumTextBytes;
using HashListReader::parseDate;

std::optional<std::string> hexDigits(std::string_view text, std::size_t count) {
    if (text.size() != count) {
        return std::nullopt;
    }
    std::string lower;
    for (char c : text) {
        if (c >= 'A' && c <= 'F') {
            c = static_cast<char>(c - 'A' + 'a');
        }
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) {
            return std::nullopt;
        }
        lower += c;
    }
    return lower;
}

std::uint64_t reversedBytes(std::uint64_t value) {
    std::uint64_t out = 0;
    for (int i = 0; i < 8; ++i) {
        out = (out << 8) | (value & 0xFF);
        value >>= 8;
    }
    return out;
}

/// Builds the HashList from the element events.
class ListBuilder final : public XmlHandler {
public:
    /// Entries go to `sink` when given, else into the list.
    explicit ListBuilder(const EntrySink* sink = nullptr) : sink_(sink) {}

    void startElement(std::string_view name, int line) override {
        const std::size_t depth = path_.size();
        if (depth == 0 && name != "hashlist") {
            throw HashListError(line, "the root element is <" + std::string(name) + ">, not <hashlist>");
        }
        if (depth == 1 && name == "hash") {
            entry_ = HashListEntry{};
            entry_.line = line;
            seen_.clear();
        }
        if (depth == 3 && path_[1] == "hash") {
            throw HashListError(line,
                                "unexpected element <" + std::string(name) + "> inside <" + path_[2] + ">");
        }
        path_.emplace_back(name);
        text_.clear();
        line_ = line;
    }

    void text(std::string_view decoded) override {
        if (path_.size() == 3) {
            if (text_.size() + decoded.size() > maximumTextBytes) {
                throw HashListError(line_, "the text of <" + path_.back() + "> is longer than the limit");
            }
            text_.append(decoded);
        }
    }

    void endElement(std::string_view name) override {
        if (path_.size() == 3 && path_[1] == "hash") {
            field(name);
        } else if (path_.size() == 3 && path_[1] == "creatorinfo") {
            if (name == "startdate") {
                list_.startDate = parseDate(trimmed(text_));
            } else if (name == "finishdate") {
                list_.finishDate = parseDate(trimmed(text_));
            } else if (name == "log") {
                list_.incomplete = incompleteJobFromLog(text_);
            }
        } else if (path_.size() == 2 && name == "hash") {
            if (!seen_.contains("file") || entry_.file.empty()) {
                throw HashListError(entry_.line, "a <hash> block without a file name");
            }
            if (sink_ != nullptr) {
                (*sink_)(std::move(entry_));
            } else {
                list_.entries.push_back(std::move(entry_));
            }
        }
        path_.pop_back();
    }

    HashList take() { return std::move(list_); }

private:
    void field(std::string_view name) {
        const std::string key(name);
        if (!seen_.insert(key).second) {
            throw HashListError(line_, "two <" + key + "> elements in one <hash> block");
        }
        const std::string_view value = trimmed(text_);
        if (name == "file") {
            entry_.file = text_; // verbatim: spaces at either end belong to the name
        } else if (name == "size") {
            entry_.size = wholeNumber(value);
        } else if (name == "lastmodificationdate") {
            entry_.lastModificationDate = parseDate(value);
        } else if (name == "hashdate") {
            entry_.hashDate = parseDate(value);
        } else if (name == "creationdate") {
            // not compared: copies get a new creation date on most file systems
        } else if (name == "xxhash64be" || name == "xxhash64") {
            const auto digits = hexDigits(value, 16);
            if (!digits) {
                throw HashListError(line_,
                                    "<" + key + "> " + excerpt(value) + " is not 16 hexadecimal digits");
            }
            std::uint64_t parsed = std::stoull(*digits, nullptr, 16);
            // The older element holds the same eight bytes in little-endian order.
            parsed = name == "xxhash64" ? reversedBytes(parsed) : parsed;
            if (entry_.xxhash64 && *entry_.xxhash64 != parsed) {
                throw HashListError(line_, "<xxhash64> and <xxhash64be> disagree");
            }
            entry_.xxhash64 = parsed;
        } else if (name == "md5" || name == "sha1") {
            const auto digits = hexDigits(value, name == "md5" ? 32 : 40);
            if (!digits) {
                throw HashListError(line_,
                                    "<" + key + "> " + excerpt(value) + " has the wrong number of digits");
            }
            (name == "md5" ? entry_.md5 : entry_.sha1) = digits;
        } else {
            entry_.otherHashes.push_back(key);
        }
    }

    std::int64_t wholeNumber(std::string_view value) const {
        if (value.empty() || value.size() > 18 ||
            !std::all_of(value.begin(), value.end(), [](char c) { return c >= '0' && c <= '9'; })) {
            throw HashListError(line_, "size " + excerpt(value) + " is not a whole number of bytes");
        }
        return std::stoll(std::string(value));
    }

    const EntrySink* sink_;
    HashList list_;
    HashListEntry entry_;
    std::vector<std::string> path_; ///< names of the open elements, root first
    std::string text_;              ///< text of the open element at depth 3
    int line_ = 0;                  ///< where that element starts
    std::set<std::string> seen_;    ///< children already met in the current <hash>
};

} // namespace

HashList buildHashList(std::string_view document, const EntrySink* sink) {
    ListBuilder builder(sink);
    tokenizeXml(document, builder);
    return builder.take();
}

} // namespace stowline::hashlist
