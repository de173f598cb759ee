#pragma once
#include "Output.h"

#include <QCoreApplication>
#include <QGuiApplication>

#include <clocale>
#include <memory>
#include <string>

namespace cli {

/// The Qt application object the catalogs and the preference store need. QCoreApplication
/// sets the C library's locale from the environment; the engine and the command's output
/// keep the "C" locale they started with. The PDF report needs fonts and a painter, hence a
/// QGuiApplication when `drawing`, on the offscreen platform so that no display is needed.
class QtApplication {
public:
    explicit QtApplication(bool drawing = false) : saved_(std::setlocale(LC_ALL, nullptr)) {
        if (drawing) {
            qputenv("QT_QPA_PLATFORM", "offscreen");
            // Standard error carries the command's own messages, which scripts read: the
            // platform's notes about the desktop session it does not use stay out of it.
            qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& message) {
                if (type == QtCriticalMsg || type == QtFatalMsg) {
                    Output::err("stowline-cli: " + message.toStdString() + "\n");
                }
            });
            app_ = std::make_unique<QGuiApplication>(argc_, argv_);
        } else {
            app_ = std::make_unique<QCoreApplication>(argc_, argv_);
        }
        std::setlocale(LC_ALL, saved_.c_str());
    }

private:
    std::string saved_;
    inline static int argc_ = 1;
    inline static char name_[] = "stowline-cli";
    inline static char* argv_[] = {name_, nullptr};
    std::unique_ptr<QCoreApplication> app_;
};

} // namespace cli
