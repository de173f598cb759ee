#include "stowline/AscMhlManifest.h"

#include "StrictXml.h"
#include "Utf8Scan.h"
#include "XmlEscape.h"
#include "stowline/HashList.h"
#include "stowline/MHLReport.h"

#include <algorithm>
#include <cassert>

namespace stowline {

std::string_view toText(AscMhlProcess process) {
    switch (process) {
    case AscMhlProcess::transfer:
        return "transfer";
    case AscMhlProcess::inPlace:
        return "in-place";
    case AscMhlProcess::flatten:
        return "flatten";
    }
    return "transfer";
}

std::string_view toText(AscMhlAction action) {
    switch (action) {
    case AscMhlAction::original:
        return "original";
    case AscMhlAction::verified:
        return "verified";
    case AscMhlAction::failed:
        return "failed";
    }
    return "failed";
}

AscMhlCreator AscMhlCreator::current() {
    const CreatorInfo info = CreatorInfo::current();
    AscMhlCreator creator;
    creator.hostName = info.hostName;
    creator.toolName = "Stowline";
    creator.toolVersion = STOWLINE_VERSION;
    if (!info.fullName.empty()) {
        creator.authors.push_back({info.fullName, {}, {}, {}});
    }
    return creator;
}

namespace AscMhlManifestFormat {
namespace {

bool allowedInXml(char32_t cp) {
    return cp == 0x9 || cp == 0xA || cp == 0xD || (cp >= 0x20 && cp <= 0xD7FF) ||
           (cp >= 0xE000 && cp <= 0xFFFD) || (cp >= 0x10000 && cp <= 0x10FFFF);
}

/// Element text or an attribute value: "&", "<", ">" (and '"' in attributes) escaped, tab,
/// LF and CR as references so that a reader gets them back; what XML cannot hold as U+FFFD.
std::string escaped(std::string_view text, bool attribute = false) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        const auto step = utf8scan::decode(text, at);
        if (!step.valid || !allowedInXml(step.codePoint)) {
            out += utf8scan::replacementCharacter;
        } else if (const std::string_view escape = xmlEscapeOf(step.codePoint, attribute); !escape.empty()) {
            out += escape;
        } else {
            out.append(text.substr(at, step.length));
        }
        at += step.length;
    }
    return out;
}

// The address form the schema accepts: something@something.something.
bool emailHasForm(std::string_view email) {
    const std::size_t at = email.find('@');
    if (at == 0 || at == std::string_view::npos) {
        return false;
    }
    const std::string_view domain = email.substr(at + 1);
    const std::size_t dot = domain.find('.');
    return dot != 0 && dot != std::string_view::npos && dot + 1 < domain.size() &&
           domain.find_first_of("\n\r", dot + 1) == std::string_view::npos;
}

std::string hashElements(const HashValues& values) {
    std::string out;
    for (const auto& value : values.all()) {
        const std::string_view name = toText(value.format());
        out.append("<").append(name).append(">").append(value.text()).append("</").append(name).append(">");
    }
    return out;
}

void folderPair(std::string& out, std::string_view indent, const FolderHashes& hashes) {
    out.append(indent).append("<content>").append(hashElements(hashes.content)).append("</content>\n");
    out.append(indent).append("<structure>").append(hashElements(hashes.structure)).append("</structure>\n");
}

void textLine(std::string& out, std::string_view indent, std::string_view name, std::string_view text) {
    out.append(indent).append("<").append(name).append(">").append(text).append("</").append(name).append(
        ">\n");
}

void renderFile(std::string& out, const AscMhlEntry& entry) {
    out += "    <hash>\n      <path";
    if (entry.size) {
        out += " size=\"" + std::to_string(*entry.size) + "\"";
    }
    if (entry.creationDate) {
        out += " creationdate=\"" + MHLReport::isoDate(*entry.creationDate) + "\"";
    }
    if (entry.lastModificationDate) {
        out += " lastmodificationdate=\"" + MHLReport::isoDate(*entry.lastModificationDate) + "\"";
    }
    out += ">" + escaped(entry.path) + "</path>\n";
    std::vector<const AscMhlHash*> ordered;
    for (const auto& hash : entry.hashes) {
        ordered.push_back(&hash);
    }
    std::stable_sort(ordered.begin(), ordered.end(),
                     [](const auto* a, const auto* b) { return a->value.format() < b->value.format(); });
    for (const auto* hash : ordered) {
        const std::string_view name = toText(hash->value.format());
        out.append("      <").append(name);
        if (hash->action) {
            out.append(" action=\"").append(toText(*hash->action)).append("\"");
        }
        if (hash->hashDate) {
            out.append(" hashdate=\"").append(MHLReport::isoDate(*hash->hashDate)).append("\"");
        }
        out.append(">").append(hash->value.text()).append("</").append(name).append(">\n");
    }
    if (entry.previousPath) {
        textLine(out, "      ", "previousPath", escaped(*entry.previousPath));
    }
    out += "    </hash>\n";
}

void renderFolder(std::string& out, const AscMhlEntry& entry) {
    out += "    <directoryhash>\n";
    textLine(out, "      ", "path", escaped(entry.path));
    folderPair(out, "      ", entry.folderHashes);
    if (entry.previousPath) {
        textLine(out, "      ", "previousPath", escaped(*entry.previousPath));
    }
    out += "    </directoryhash>\n";
}

} // namespace

const std::vector<std::string>& defaultIgnorePatterns() {
    static const std::vector<std::string> patterns = {".DS_Store", "ascmhl", "ascmhl/"};
    return patterns;
}

std::string escapedText(std::string_view text) {
    return escaped(text);
}

bool xmlCanHold(std::string_view text) {
    for (std::size_t at = 0; at < text.size();) {
        const auto step = utf8scan::decode(text, at);
        if (!step.valid || !allowedInXml(step.codePoint)) {
            return false;
        }
        at += step.length;
    }
    return true;
}

std::string render(const AscMhlManifest& manifest) {
    std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                      "<hashlist version=\"2.0\" xmlns=\"urn:ASC:MHL:v2.0\">\n"
                      "  <creatorinfo>\n";
    const AscMhlCreator& creator = manifest.creator;
    textLine(out, "    ", "creationdate", MHLReport::isoDate(manifest.creationDate));
    textLine(out, "    ", "hostname", escaped(creator.hostName));
    out += "    <tool";
    if (!creator.toolVersion.empty()) {
        out += " version=\"" + escaped(creator.toolVersion, true) + "\"";
    }
    out += ">" + escaped(creator.toolName) + "</tool>\n";
    for (const auto& author : creator.authors) {
        out += "    <author";
        if (emailHasForm(author.email)) {
            out += " email=\"" + escaped(author.email, true) + "\"";
        }
        if (!author.phone.empty()) {
            out += " phone=\"" + escaped(author.phone, true) + "\"";
        }
        if (!author.role.empty()) {
            out += " role=\"" + escaped(author.role, true) + "\"";
        }
        out += ">" + escaped(author.name) + "</author>\n";
    }
    if (creator.location) {
        textLine(out, "    ", "location", escaped(*creator.location));
    }
    if (creator.comment) {
        textLine(out, "    ", "comment", escaped(*creator.comment));
    }
    out += "  </creatorinfo>\n  <processinfo>\n";
    textLine(out, "    ", "process", toText(manifest.process));
    if (manifest.rootHash) {
        out += "    <roothash>\n";
        folderPair(out, "      ", *manifest.rootHash);
        out += "    </roothash>\n";
    }
    if (!manifest.ignorePatterns.empty()) {
        out += "    <ignore>\n";
        for (const auto& pattern : manifest.ignorePatterns) {
            textLine(out, "      ", "pattern", escaped(pattern));
        }
        out += "    </ignore>\n";
    }
    out += "  </processinfo>\n";
    if (!manifest.entries.empty()) {
        out += "  <hashes>\n";
        for (const auto& entry : manifest.entries) {
            assert(xmlCanHold(entry.path));
            if (entry.kind == AscMhlEntry::Kind::file) {
                renderFile(out, entry);
            } else {
                renderFolder(out, entry);
            }
        }
        out += "  </hashes>\n";
    }
    if (!manifest.references.empty()) {
        out += "  <references>\n";
        for (const auto& reference : manifest.references) {
            out += "    <hashlistreference>\n";
            textLine(out, "      ", "path", escaped(reference.path));
            textLine(out, "      ", "c4", escaped(reference.c4));
            out += "    </hashlistreference>\n";
        }
        out += "  </references>\n";
    }
    out += "</hashlist>\n";
    return out;
}

namespace {

std::string_view trimmed(std::string_view text) {
    const auto space = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; };
    while (!text.empty() && space(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && space(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

/// Builds the manifest from the element events. Elements it does not know, and everything
/// inside <metadata>, are passed over.
class ManifestBuilder final : public XmlHandler {
public:
    explicit ManifestBuilder(const EntrySink* sink) : sink_(sink) {}

    void startElement(std::string_view qualified, const std::vector<XmlAttribute>& attributes,
                      int line) override {
        const std::string_view name = localName(qualified);
        line_ = line;
        text_.clear();
        if (stack_.empty()) {
            if (name != "hashlist") {
                throw AscMhlError(line, "the root element is <" + std::string(name) + ">, not <hashlist>");
            }
            const std::string* version = attribute(attributes, "version");
            if (version == nullptr || !version->starts_with("2.")) {
                throw AscMhlError(line, "not an ASC MHL 2.0 manifest (version " +
                                            (version == nullptr ? std::string("missing") : *version) + ")");
            }
        }
        if (metadataDepth_ > 0 || name == "metadata") {
            ++metadataDepth_; // anyone's XML: never interpreted
            return;
        }
        stack_.emplace_back(name);
        if (at({"hashes", "hash"}) || at({"hashes", "directoryhash"})) {
            entry_ = AscMhlEntry{};
            entry_.kind = name == "hash" ? AscMhlEntry::Kind::file : AscMhlEntry::Kind::folder;
            entry_.line = line;
            hasPath_ = false;
        } else if (at({"hashes", "hash", "path"})) {
            if (const auto* size = attribute(attributes, "size")) {
                entry_.size = wholeNumber(*size);
            }
            entry_.creationDate = date(attributes, "creationdate");
            entry_.lastModificationDate = date(attributes, "lastmodificationdate");
        } else if (at({"hashes", "hash"}, 1) && hashFormatNamed(name)) {
            pendingAction_.reset();
            if (const auto* action = attribute(attributes, "action")) {
                pendingAction_ = actionNamed(*action);
            }
            pendingHashDate_ = date(attributes, "hashdate");
        } else if (at({"references", "hashlistreference"})) {
            reference_ = AscMhlReference{};
        } else if (at({"creatorinfo", "tool"})) {
            const std::string* version = attribute(attributes, "version");
            manifest_.creator.toolVersion = version != nullptr ? *version : std::string();
        } else if (at({"creatorinfo", "author"})) {
            author_ = AscMhlCreator::Author{};
            for (auto [field, key] : {std::pair{&author_.email, "email"}, std::pair{&author_.phone, "phone"},
                                      std::pair{&author_.role, "role"}}) {
                if (const std::string* value = attribute(attributes, key)) {
                    *field = *value;
                }
            }
        }
    }

    void text(std::string_view decoded) override {
        if (metadataDepth_ > 0) {
            return;
        }
        if (text_.size() + decoded.size() > XmlLimits{}.maximumTextBytes) {
            throw AscMhlError(line_, "the text of <" + stack_.back() + "> is longer than the limit");
        }
        text_.append(decoded);
    }

    void endElement(std::string_view qualified) override {
        if (metadataDepth_ > 0) {
            --metadataDepth_;
            return;
        }
        finish(localName(qualified));
        stack_.pop_back();
        text_.clear();
    }

    AscMhlManifest take() { return std::move(manifest_); }

private:
    /// True when the open elements below the root are `names` and then `deeper` more.
    [[nodiscard]] bool at(std::initializer_list<std::string_view> names, std::size_t deeper = 0) const {
        if (stack_.size() != names.size() + 1 + deeper) {
            return false;
        }
        return std::equal(names.begin(), names.end(), stack_.begin() + 1);
    }

    static const std::string* attribute(const std::vector<XmlAttribute>& attributes, std::string_view name) {
        for (const auto& attribute : attributes) {
            if (localName(attribute.name) == name) {
                return &attribute.value;
            }
        }
        return nullptr;
    }

    std::optional<Date> date(const std::vector<XmlAttribute>& attributes, std::string_view name) const {
        const std::string* text = attribute(attributes, name);
        if (text == nullptr) {
            return std::nullopt;
        }
        const auto parsed = HashListReader::parseDate(trimmed(*text));
        if (!parsed) {
            throw AscMhlError(line_, std::string(name) + " '" + text->substr(0, 40) + "' is not a date");
        }
        return parsed;
    }

    std::int64_t wholeNumber(std::string_view value) const {
        value = trimmed(value);
        if (value.empty() || value.size() > 18 ||
            !std::all_of(value.begin(), value.end(), [](char c) { return c >= '0' && c <= '9'; })) {
            throw AscMhlError(line_, "size '" + std::string(value.substr(0, 40)) + "' is not a whole number");
        }
        return std::stoll(std::string(value));
    }

    AscMhlAction actionNamed(std::string_view text) const {
        for (AscMhlAction action : {AscMhlAction::original, AscMhlAction::verified, AscMhlAction::failed}) {
            if (toText(action) == text) {
                return action;
            }
        }
        throw AscMhlError(line_, "unknown action '" + std::string(text.substr(0, 40)) + "'");
    }

    HashValue hashValue(HashFormat format) const {
        const auto value = HashValue::fromText(format, trimmed(text_));
        if (!value) {
            throw AscMhlError(line_, "<" + std::string(toText(format)) + "> '" +
                                         std::string(trimmed(text_).substr(0, 40)) +
                                         "' is not a hash of that format");
        }
        return *value;
    }

    void finish(std::string_view name) {
        const auto format = hashFormatNamed(name);
        if (at({"creatorinfo", "creationdate"})) {
            const auto parsed = HashListReader::parseDate(trimmed(text_));
            if (!parsed) {
                throw AscMhlError(line_, "creationdate '" + text_.substr(0, 40) + "' is not a date");
            }
            manifest_.creationDate = *parsed;
        } else if (at({"creatorinfo", "hostname"})) {
            manifest_.creator.hostName = text_;
        } else if (at({"creatorinfo", "tool"})) {
            manifest_.creator.toolName = text_;
        } else if (at({"creatorinfo", "comment"})) {
            manifest_.creator.comment = text_;
        } else if (at({"creatorinfo", "location"})) {
            manifest_.creator.location = text_;
        } else if (at({"creatorinfo", "author"})) {
            author_.name = text_;
            manifest_.creator.authors.push_back(std::move(author_));
        } else if (at({"processinfo", "process"})) {
            const std::string_view process = trimmed(text_);
            manifest_.process = process == "in-place"  ? AscMhlProcess::inPlace
                                : process == "flatten" ? AscMhlProcess::flatten
                                                       : AscMhlProcess::transfer;
        } else if (format && (at({"processinfo", "roothash", "content"}, 1) ||
                              at({"processinfo", "roothash", "structure"}, 1))) {
            if (!manifest_.rootHash) {
                manifest_.rootHash.emplace();
            }
            (stack_[3] == "content" ? manifest_.rootHash->content : manifest_.rootHash->structure)
                .set(hashValue(*format));
        } else if (at({"processinfo", "ignore", "pattern"})) {
            manifest_.ignorePatterns.push_back(text_);
        } else if (at({"hashes", "hash", "path"}) || at({"hashes", "directoryhash", "path"})) {
            entry_.path = text_; // verbatim: spaces at either end belong to the name
            hasPath_ = true;
        } else if (at({"hashes", "hash", "previousPath"}) ||
                   at({"hashes", "directoryhash", "previousPath"})) {
            entry_.previousPath = text_;
        } else if (format && at({"hashes", "hash"}, 1)) {
            for (const auto& hash : entry_.hashes) {
                if (hash.value.format() == *format) {
                    throw AscMhlError(line_, "two <" + std::string(name) + "> in one <hash>");
                }
            }
            entry_.hashes.push_back({hashValue(*format), pendingAction_, pendingHashDate_});
        } else if (format && (at({"hashes", "directoryhash", "content"}, 1) ||
                              at({"hashes", "directoryhash", "structure"}, 1))) {
            (stack_[3] == "content" ? entry_.folderHashes.content : entry_.folderHashes.structure)
                .set(hashValue(*format));
        } else if (at({"hashes", "hash"}) || at({"hashes", "directoryhash"})) {
            if (!hasPath_ || entry_.path.empty()) {
                throw AscMhlError(entry_.line, "a <" + std::string(name) + "> without a path");
            }
            if (sink_ != nullptr) {
                (*sink_)(std::move(entry_));
            } else {
                manifest_.entries.push_back(std::move(entry_));
            }
        } else if (at({"references", "hashlistreference", "path"})) {
            reference_.path = text_;
        } else if (at({"references", "hashlistreference", "c4"})) {
            reference_.c4 = std::string(trimmed(text_));
        } else if (at({"references", "hashlistreference"})) {
            manifest_.references.push_back(std::move(reference_));
        }
    }

    const EntrySink* sink_;
    AscMhlManifest manifest_;
    AscMhlEntry entry_;
    AscMhlReference reference_;
    AscMhlCreator::Author author_;
    bool hasPath_ = false;
    std::optional<AscMhlAction> pendingAction_;
    std::optional<Date> pendingHashDate_;
    std::vector<std::string> stack_; ///< local names of the open elements, root first
    std::size_t metadataDepth_ = 0;  ///< open elements inside (and including) a <metadata>
    std::string text_;               ///< text of the innermost open element
    int line_ = 0;                   ///< where that element starts
};

} // namespace

AscMhlManifest parse(std::string_view document, const EntrySink* sink) {
    if (document.size() > maximumDocumentBytes) {
        throw AscMhlError(0, "the manifest is larger than " + std::to_string(maximumDocumentBytes >> 20) +
                                 " MiB");
    }
    ManifestBuilder builder(sink);
    try {
        tokenizeXml(document, builder);
    } catch (const XmlError& error) {
        throw AscMhlError(error.line(), error.detail());
    }
    return builder.take();
}

} // namespace AscMhlManifestFormat
} // namespace stowline
