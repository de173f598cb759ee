// The PDF report of a large job against the job itself. Offloads CARD with the engine to one
// destination folder (what stowline-cli does before it writes any report), then renders that
// destination's PDF report; RUNS times, interleaved. Prints the medians of both, their ratio
// (goal <= 0.20) and the renderer's peak added resident memory over the job's summary already
// in memory (goal <= 64 MiB), with the load average.
//
//   pdf_report CARD WORK_FOLDER [runs (default 3)]
#include "report/PdfPaper.h"
#include "report/PdfReport.h"
#include "settings/Localization.h"

#include "stowline/CopyEngine.h"

#include <QFile>
#include <QGuiApplication>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include <malloc.h>

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

long statusKiB(const char* field) {
    std::ifstream status("/proc/self/status");
    const std::string prefix = std::string(field) + ":";
    for (std::string line; std::getline(status, line);) {
        if (line.rfind(prefix, 0) == 0) {
            return std::stol(line.substr(prefix.size()));
        }
    }
    return -1;
}

double seconds(Clock::time_point from) {
    return std::chrono::duration<double>(Clock::now() - from).count();
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

std::string loadAverage() {
    std::ifstream load("/proc/loadavg");
    std::string one, five, fifteen;
    load >> one >> five >> fifteen;
    return one + " " + five + " " + fifteen;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: pdf_report CARD WORK_FOLDER [runs]\n");
        return 2;
    }
    const fs::path card = fs::absolute(argv[1]);
    const fs::path destination = fs::absolute(argv[2]) / "drive";
    const int runs = argc > 3 ? std::max(1, std::atoi(argv[3])) : 3;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    if (qEnvironmentVariableIsEmpty("STOWLINE_BUNDLE")) {
        qputenv("STOWLINE_BUNDLE", STOWLINE_BUNDLE_DIR);
    }
    QGuiApplication app(argc, argv);
    Localization::setOverrideForThisProcess(stowline::SupportedLanguage::en);

    std::vector<double> offloads, renders, addedMiB;
    std::int64_t files = 0;
    qint64 pdfBytes = 0;
    for (int run = 0; run < runs; ++run) {
        fs::remove_all(destination);
        fs::create_directories(destination);
        stowline::JobSummary job;
        {
            const auto start = Clock::now();
            stowline::CopyEngine engine;
            auto stream = engine.run(stowline::CopyJob{{card}, {destination}});
            while (auto event = stream->next()) {
                if (const auto* finished = event->get<stowline::EngineEvent::Finished>()) {
                    job = finished->summary;
                }
            }
            offloads.push_back(seconds(start));
        }
        const stowline::JobSummary narrowed = job.summary(destination);
        files = static_cast<std::int64_t>(narrowed.reports.size());
        PdfReportInput input;
        input.product = QStringLiteral("Stowline bench");
        input.jobTitle = QString::fromStdString(card.filename().string());
        input.hostName = QStringLiteral("bench");
        input.sources = {card};
        input.destinationRoot = destination;
        input.destinations = PdfDestination::fromSummary(job, {destination});
        input.strings = PdfReportStrings::current();
        input.locale = QLocale(QStringLiteral("en_US"));
        input.pageSize = PdfPaper::forLanguage(stowline::SupportedLanguage::en, QLocale::c());

        // The peak from here on is the renderer's own (the summary is already resident).
        ::malloc_trim(0);
        std::ofstream("/proc/self/clear_refs") << "5";
        const long before = statusKiB("VmHWM");
        const auto start = Clock::now();
        QFile out(QString::fromStdString((destination / "report.pdf").string()));
        if (!out.open(QIODevice::WriteOnly) || !PdfReport::render(narrowed, input, out)) {
            std::fprintf(stderr, "pdf_report: the report could not be written\n");
            return 1;
        }
        out.close();
        renders.push_back(seconds(start));
        addedMiB.push_back(static_cast<double>(statusKiB("VmHWM") - before) / 1024.0);
        pdfBytes = out.size();
        std::printf("run %d: offload %.2f s, PDF %.2f s, added %.1f MiB\n", run + 1, offloads.back(),
                    renders.back(), addedMiB.back());
    }
    fs::remove_all(destination);

    const double offload = median(offloads);
    const double render = median(renders);
    std::printf("%lld files, one destination; PDF %.1f MB\n", static_cast<long long>(files),
                static_cast<double>(pdfBytes) / 1e6);
    std::printf("offload (engine)      %7.2f s median of %d\n", offload, runs);
    std::printf("PDF report            %7.2f s median of %d\n", render, runs);
    std::printf("PDF / offload = %.3f (goal <= 0.20)\n", render / offload);
    std::printf("PDF peak added memory %.1f MiB (largest run; goal <= 64 MiB)\n",
                *std::max_element(addedMiB.begin(), addedMiB.end()));
    std::printf("load average: %s\n", loadAverage().c_str());
    return 0;
}
