#include "kit/RenderStats.h"

#include <QCoreApplication>
#include <QHash>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <utility>
#include <vector>

namespace {

struct Counter {
    bool enabled = qgetenv("STOWLINE_RENDER_STATS") == "1";
    QHash<QString, int> counts;
    QTimer* timer = nullptr;
};

Counter& counter() {
    static Counter c;
    return c;
}

void printLine(const QString& line) {
    const QByteArray bytes = line.toUtf8() + '\n';
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stdout);
    std::fflush(stdout);
}

void report() {
    Counter& c = counter();
    std::vector<std::pair<QString, int>> pairs(c.counts.keyValueBegin(), c.counts.keyValueEnd());
    // Highest count first; equal counts by name so the line is stable from one second to the next.
    std::sort(pairs.begin(), pairs.end(), [](const auto& a, const auto& b) {
        return a.second != b.second ? a.second > b.second : a.first < b.first;
    });
    QStringList parts;
    for (const auto& [name, count] : pairs) {
        parts << QStringLiteral("%1=%2").arg(name).arg(count);
    }
    const QString text = parts.isEmpty() ? QStringLiteral("(nada)") : parts.join(QStringLiteral("  "));
    printLine(QStringLiteral("[render/s] ") + text);
    c.counts.clear();
}

} // namespace

namespace RenderStats {

bool enabled() {
    return counter().enabled;
}

void start() {
    Counter& c = counter();
    if (!c.enabled || c.timer != nullptr) {
        return;
    }
    printLine(QStringLiteral("[render] instrumentação ligada — arraste a divisória"));
    // Parented to the application so it lives until the process ends.
    c.timer = new QTimer(QCoreApplication::instance());
    c.timer->setInterval(1000);
    QObject::connect(c.timer, &QTimer::timeout, c.timer, [] {
        QMetaObject::invokeMethod(QCoreApplication::instance(), report, Qt::QueuedConnection);
    });
    c.timer->start();
}

void tick(const char* viewName) {
    Counter& c = counter();
    if (!c.enabled) {
        return;
    }
    ++c.counts[QString::fromLatin1(viewName)];
}

} // namespace RenderStats
