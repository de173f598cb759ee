#include "settings/Localization.h"
#include "settings/Preferences.h"
#include "ui/Fonts.h"
#include "ui/MainWindow.h"
#include "ui/RenderStats.h"
#include "ui/Theme.h"

#include <QApplication>
#include <QStyleFactory>
#include <QTimer>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Stowline"));
    QApplication::setApplicationName(QStringLiteral("Stowline"));
    QApplication::setApplicationVersion(QStringLiteral(STOWLINE_APP_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral("io.stowline.Stowline"));
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));

    Localization::refresh();
    FontLoader::registerBundledFonts();
    QApplication::setFont(Fonts::sans(13));

    Theme::apply(Preferences::readBool(QStringLiteral("appearanceIsLight"), false));

    MainWindow window;
    window.show();

    QTimer::singleShot(0, &window, [&window] {
        window.raise();
        window.activateWindow();
        RenderStats::start();
    });
    return QApplication::exec();
}
