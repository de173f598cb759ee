#include "stowline/MHLReport.h"

#include "Utf8Scan.h"
#include "XmlEscape.h"

#include <array>
#include <climits>
#include <ctime>
#include <vector>

#include <pwd.h>
#include <unistd.h>

namespace stowline {

CreatorInfo CreatorInfo::current() {
    CreatorInfo info;
    long suggested = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(suggested > 0 ? static_cast<std::size_t>(suggested) : 16384);
    passwd entry{};
    passwd* found = nullptr;
    for (;;) {
        int error = ::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found);
        if (error == ERANGE && buffer.size() < (1u << 20)) {
            buffer.resize(buffer.size() * 2);
            continue;
        }
        break;
    }
    if (found != nullptr) {
        info.userName = found->pw_name != nullptr ? found->pw_name : "";
        std::string gecos = found->pw_gecos != nullptr ? found->pw_gecos : "";
        info.fullName = gecos.substr(0, gecos.find(','));
        if (info.fullName.empty()) {
            info.fullName = info.userName;
        }
    }
    std::array<char, HOST_NAME_MAX + 1> host{};
    if (::gethostname(host.data(), host.size() - 1) == 0) {
        info.hostName = host.data();
    }
    return info;
}

namespace MHLReport {
namespace {

bool allowedInXml(char32_t cp) {
    return cp == 0x9 || cp == 0xA || cp == 0xD || (cp >= 0x20 && cp <= 0xD7FF) ||
           (cp >= 0xE000 && cp <= 0xFFFD) || (cp >= 0x10000 && cp <= 0x10FFFF);
}

} // namespace

std::string isoDate(Date date) {
    const std::time_t seconds =
        std::chrono::system_clock::to_time_t(std::chrono::floor<std::chrono::seconds>(date));
    std::tm parts{};
    if (::gmtime_r(&seconds, &parts) == nullptr) {
        return "1970-01-01T00:00:00Z";
    }
    std::array<char, 32> text{};
    std::size_t length = std::strftime(text.data(), text.size(), "%Y-%m-%dT%H:%M:%SZ", &parts);
    return std::string(text.data(), length);
}

std::string listedPath(std::string_view path) {
    std::string out;
    out.reserve(path.size());
    for (std::size_t at = 0; at < path.size();) {
        const auto step = utf8scan::decode(path, at);
        if (!step.valid || !allowedInXml(step.codePoint)) {
            out += utf8scan::replacementCharacter;
        } else {
            out.append(path.substr(at, step.length));
        }
        at += step.length;
    }
    return out;
}

std::string xmlText(std::string_view text) {
    const std::string listed = listedPath(text);
    std::string out;
    out.reserve(listed.size());
    for (const char c : listed) {
        // Bytes of a multi-byte character are never markup; only ASCII ones are escaped.
        const std::string_view escape = xmlEscapeOf(static_cast<unsigned char>(c));
        if (escape.empty()) {
            out += c;
        } else {
            out += escape;
        }
    }
    return out;
}

std::string render(const RootSummary& summary, std::string_view tool) {
    return render(summary, tool, CreatorInfo::current());
}

std::string render(const RootSummary& summary, std::string_view tool, const CreatorInfo& creator) {
    std::string document;
    render(summary, tool, creator, [&document](std::string_view piece) { document.append(piece); });
    return document;
}

void render(const RootSummary& share, std::string_view tool, const CreatorInfo& creator,
            const TextSink& out) {
    const JobSummary& summary = share.facts();
    // One line buffer reused for every element: a card's list is never held whole.
    std::string line;
    const auto emit = [&](std::string_view text) {
        line.assign(text).append("\n");
        out(line);
    };
    const auto emitElement = [&](std::string_view indent, std::string_view name, std::string_view value) {
        line.assign(indent)
            .append("<")
            .append(name)
            .append(">")
            .append(value)
            .append("</")
            .append(name)
            .append(">\n");
        out(line);
    };
    emit(R"(<?xml version="1.0" encoding="UTF-8"?>)");
    emit(R"(<hashlist version="1.1">)");
    emit("  <creatorinfo>");
    emitElement("    ", "name", xmlText(creator.fullName));
    emitElement("    ", "username", xmlText(creator.userName));
    emitElement("    ", "hostname", xmlText(creator.hostName));
    emitElement("    ", "tool", xmlText(tool));
    emitElement("    ", "startdate", isoDate(summary.startDate));
    emitElement("    ", "finishdate", isoDate(summary.finishDate));
    // A list that covers only part of its job says so, so that a later check of the drive
    // cannot call a short list "intact" without saying that the job never finished there.
    if (const auto incomplete = share.incompleteJob()) {
        emitElement("    ", "log", xmlText(logText(*incomplete)));
    }
    emit("  </creatorinfo>");
    share.forEachReport([&](const FileReport& report) {
        if (report.outcome == FileOutcome::failed) {
            return;
        }
        emit("  <hash>");
        emitElement("    ", "file", xmlText(report.relativePath));
        emitElement("    ", "size", std::to_string(report.size));
        if (report.modificationDate) {
            emitElement("    ", "lastmodificationdate", isoDate(*report.modificationDate));
        }
        // The big-endian element: our digits are the canonical hex, most significant first.
        emitElement("    ", "xxhash64be", xmlText(report.hashHex));
        emitElement("    ", "hashdate", isoDate(report.verifiedAt));
        emit("  </hash>");
    });
    emit("</hashlist>");
}

} // namespace MHLReport
} // namespace stowline
