#include "ui/window/ScreenshotDemo.h"

#include "state/FileUrl.h"

#include "stowline/XXHash64.h"

#include <QFile>
#include <QPointer>

#include <atomic>
#include <chrono>
#include <memory>
#include <stdexcept>
#include <thread>

namespace ScreenshotDemo {
namespace {

std::uint64_t hashOf(const std::filesystem::path& path) {
    QFile file(QString::fromStdString(path.string()));
    if (!file.open(QIODevice::ReadOnly)) {
        throw std::runtime_error("unreadable");
    }
    stowline::XXHash64 hasher;
    while (!file.atEnd()) {
        const QByteArray chunk = file.read(1 << 20);
        hasher.update(chunk.constData(), static_cast<std::size_t>(chunk.size()));
    }
    return hasher.finalize();
}

} // namespace

QString requestedReport() {
    const QString kind = qEnvironmentVariable("STOWLINE_DEMO_REPORT");
    return kind == QLatin1String("dropped") || kind == QLatin1String("cancelled") ? kind : QString();
}

void prepare(AppState::Services& services, const QString& kind, const QList<QUrl>& destinations) {
    if (kind == QLatin1String("dropped") && !destinations.isEmpty()) {
        const std::filesystem::path full = FileUrl::toPath(destinations.back());
        auto asked = std::make_shared<std::atomic<int>>(0);
        services.engineOptions.capacity = [full, asked](const std::filesystem::path& at) {
            auto capacity = stowline::CopyEngine::readCapacity(at);
            if (at == full && capacity && ++*asked > 1) {
                capacity->plain = 0; // room for the first file only
            }
            return capacity;
        };
    }
    if (kind == QLatin1String("cancelled")) {
        services.engineOptions.verify = [](const std::filesystem::path& path) {
            std::this_thread::sleep_for(std::chrono::milliseconds(400));
            return hashOf(path);
        };
    }
}

void run(AppState& state, const QString& kind) {
    const auto started = std::make_shared<bool>(false);
    const auto startOnce = [&state, started] {
        if (*started || state.addingItems() || state.pendingSources().isEmpty() ||
            state.destinations().isEmpty()) {
            return;
        }
        *started = true;
        state.startTransfer();
    };
    QObject::connect(&state, &AppState::sourcesChanged, &state, startOnce);
    QObject::connect(&state, &AppState::destinationsChanged, &state, startOnce);
    QObject::connect(&state, &AppState::diskFullAlertChanged, &state, [&state] {
        if (state.hasDiskFullAlert()) {
            state.dropFullDestination();
        }
    });
    QObject::connect(&state, &AppState::jobsChanged, &state, [&state, kind] {
        if (state.jobs().isEmpty()) {
            return;
        }
        QPointer<TransferJob> job = state.jobs().front();
        if (job->property("demoFollowed").toBool()) {
            return;
        }
        job->setProperty("demoFollowed", true);
        QObject::connect(job, &TransferJob::phaseChanged, &state, [&state, job] {
            if (job && !job->isActive()) {
                state.setReportJob(job);
            }
        });
        if (kind == QLatin1String("cancelled")) {
            const auto names = std::make_shared<QStringList>();
            QObject::connect(job, &TransferJob::currentFileNameChanged, &state, [job, names] {
                if (job && !job->currentFileName().isEmpty() && !names->contains(job->currentFileName())) {
                    names->append(job->currentFileName());
                    if (names->size() == 2) {
                        job->cancel();
                    }
                }
            });
        }
    });
    startOnce();
}

} // namespace ScreenshotDemo
