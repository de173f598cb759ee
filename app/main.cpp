#include "platform/DBusNotificationService.h"
#include "settings/Appearance.h"
#include "settings/Localization.h"
#include "state/Notifier.h"
#include "ui/Fonts.h"
#include "ui/MainWindow.h"
#include "ui/RenderStats.h"
#include "ui/Theme.h"

#include <QApplication>
#include <QEvent>
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
    DBusNotificationService notifications;
    Notifier::setService(&notifications);

    // Created once, after the language is resolved, and alive until the process ends.
    Appearance appearance;
    Theme::follow(appearance);
    // Widgets re-read their texts on LanguageChange, which the application passes down to
    // every window and widget.
    QObject::connect(&appearance, &Appearance::languageChanged, &app,
                     [] { QCoreApplication::postEvent(qApp, new QEvent(QEvent::LanguageChange)); });

    MainWindow window;
    window.show();

    QTimer::singleShot(0, &window, [&window] {
        window.raise();
        window.activateWindow();
        RenderStats::start();
    });
    const int status = QApplication::exec();
    Notifier::setService(nullptr);
    return status;
}
