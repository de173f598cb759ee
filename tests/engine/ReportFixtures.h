#pragma once
// Summaries and strings shared by the report tests.
#include "stowline/JobSummary.h"
#include "stowline/TextReportStrings.h"

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <string>

namespace stowline::testing {

// 5 March 2024 at 14:07:09 UTC plus `seconds`.
inline Date at(int seconds = 0) {
    using namespace std::chrono;
    return sys_days{year{2024} / March / 5} + hours{14} + minutes{7} + std::chrono::seconds{9 + seconds};
}

inline FileReport verified(std::string path, std::int64_t size, std::string hash, bool withDate = true) {
    FileReport report;
    report.relativePath = std::move(path);
    report.size = size;
    report.hashHex = std::move(hash);
    report.outcome = FileOutcome::verified;
    if (withDate) {
        report.modificationDate = at(-86400);
    }
    report.verifiedAt = at(30);
    return report;
}

inline FileReport skipped(std::string path, std::int64_t size, std::string hash) {
    FileReport report = verified(std::move(path), size, std::move(hash));
    report.outcome = FileOutcome::skipped;
    return report;
}

inline FileReport failed(std::string path, std::optional<FileErrorReason> reason) {
    FileReport report;
    report.relativePath = std::move(path);
    report.size = 10;
    report.hashHex = "0000000000000000";
    report.outcome = FileOutcome::failed;
    report.errorDescription = std::move(reason);
    report.verifiedAt = at(20);
    return report;
}

inline JobSummary summaryOf(std::vector<FileReport> reports) {
    JobSummary summary;
    for (const auto& report : reports) {
        summary.totalBytes += report.size;
    }
    summary.reports = std::move(reports);
    summary.startDate = at(0);
    summary.finishDate = at(187);
    summary.averageBytesPerSecond = 152'500'000.0;
    return summary;
}

inline std::function<std::string(std::int64_t)> plural(std::string one, std::string many) {
    return [=](std::int64_t n) { return std::to_string(n) + " " + (n == 1 ? one : many); };
}

inline TextReportStrings englishStrings() {
    return {"Stowline transfer report",
            "Date",
            "Duration",
            "Average speed",
            "Source",
            "Destination",
            "Errors:",
            "(already existed)",
            "All files intact.",
            "%1 file(s) with errors.",
            "%1 \u00B7 %2 \u00B7 %3 \u00B7 %4 \u2014 %5",
            "Transfer cancelled by the user.",
            plural("file", "files"),
            plural("verified", "verified"),
            plural("error", "errors"),
            "no destination available",
            "no destination for this file",
            "rejected destinations: %1",
            "checksum mismatch after re-copy at %1",
            "copy failed: %1",
            "unknown error",
            "Incomplete: dropped when full after %1 of %2 files.",
            "Incomplete: disconnected after %1 of %2 files.",
            "Incomplete: ran out of space after %1 of %2 files.",
            "Incomplete: writing failed after %1 of %2 files.",
            "Incomplete: cancelled after %1 of %2 files.",
            {}};
}

inline TextReportStrings portugueseStrings() {
    return {"Relat\u00F3rio de transfer\u00EAncia Stowline",
            "Data",
            "Dura\u00E7\u00E3o",
            "Velocidade m\u00E9dia",
            "Origem",
            "Destino",
            "Erros:",
            "(j\u00E1 existia)",
            "Todos os arquivos \u00EDntegros.",
            "%1 arquivo(s) com erro.",
            "%1 \u00B7 %2 \u00B7 %3 \u00B7 %4 \u2014 %5",
            "Transfer\u00EAncia cancelada pelo usu\u00E1rio.",
            plural("arquivo", "arquivos"),
            plural("verificado", "verificados"),
            plural("erro", "erros"),
            "nenhum destino dispon\u00EDvel",
            "nenhum destino para este arquivo",
            "destinos recusados: %1",
            "soma de verifica\u00E7\u00E3o divergente ap\u00F3s nova c\u00F3pia em %1",
            "falha na c\u00F3pia: %1",
            "erro desconhecido",
            "Incompleto: retirado sem espa\u00E7o ap\u00F3s %1 de %2 arquivos.",
            "Incompleto: desconectado ap\u00F3s %1 de %2 arquivos.",
            "Incompleto: sem espa\u00E7o ap\u00F3s %1 de %2 arquivos.",
            "Incompleto: falha de grava\u00E7\u00E3o ap\u00F3s %1 de %2 arquivos.",
            "Incompleto: cancelado ap\u00F3s %1 de %2 arquivos.",
            {}};
}

// Runs the test in UTC so that local dates are predictable; restores the zone afterwards.
struct UtcZone {
    std::string saved;
    bool hadZone = false;
    UtcZone() {
        if (const char* zone = std::getenv("TZ")) {
            saved = zone;
            hadZone = true;
        }
        ::setenv("TZ", "UTC", 1);
        ::tzset();
    }
    ~UtcZone() {
        if (hadZone) {
            ::setenv("TZ", saved.c_str(), 1);
        } else {
            ::unsetenv("TZ");
        }
        ::tzset();
    }
};

} // namespace stowline::testing
