#include "browser/FileBrowserPanel.h"
#include "kit/FocusRing.h"
#include "kit/Fonts.h"
#include "kit/RenderStats.h"
#include "kit/Theme.h"
#include "platform/DBusNotificationService.h"
#include "platform/FileDialogOpenPanel.h"
#include "platform/FileDialogSavePanel.h"
#include "platform/MountInfoVolumeService.h"
#include "settings/Appearance.h"
#include "settings/Localization.h"
#include "state/AppState.h"
#include "state/FileUrl.h"
#include "state/Notifier.h"
#include "ui/panels/CentreColumn.h"
#include "ui/panels/SlotPanel.h"
#include "ui/window/MainView.h"
#include "ui/window/MainWindow.h"
#include "ui/window/ScreenshotDemo.h"
#include "ui/window/WindowWiring.h"

#include <QApplication>
#include <QEvent>
#include <QFileInfo>
#include <QStyleFactory>
#include <QTimer>

namespace {

void describeApplication() {
    QApplication::setOrganizationName(QStringLiteral("Stowline"));
    QApplication::setApplicationName(QStringLiteral("Stowline"));
    QApplication::setApplicationVersion(QStringLiteral(STOWLINE_APP_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral("io.stowline.Stowline"));
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
}

/// The folders the screenshot script asks for as destinations, absolute.
QList<QUrl> demoDestinations() {
    QList<QUrl> destinations;
    for (const QString& path :
         qEnvironmentVariable("STOWLINE_DEMO_DESTINATIONS").split(QLatin1Char(':'), Qt::SkipEmptyParts)) {
        destinations.append(FileUrl::fromPath(QFileInfo(path).absoluteFilePath()));
    }
    return destinations;
}

/// Files and folders named on the command line (the desktop's "Open with"): they are sources.
QList<QUrl> commandLineSources() {
    QList<QUrl> sources;
    const QStringList arguments = QApplication::arguments().mid(1);
    for (const QString& argument : arguments) {
        const QFileInfo info(argument);
        if (info.exists()) {
            sources.append(FileUrl::fromPath(info.absoluteFilePath()));
        }
    }
    return sources;
}

void fillWindow(MainView& view, AppState& state, Appearance& appearance) {
    view.setSourcePanel(new SlotPanel(SlotPanel::Kind::source, state));
    view.setCentreColumn(new CentreColumn(state));
    view.setDestinationPanel(new SlotPanel(SlotPanel::Kind::destination, state));
    view.setBrowserPanel(new FileBrowserPanel(&state));
    installTransfersAndSettings(view, state, appearance);
}

/// The views read the state: they go before it.
void emptyWindow(MainView& view) {
    view.setSourcePanel(nullptr);
    view.setCentreColumn(nullptr);
    view.setDestinationPanel(nullptr);
    view.setBrowserPanel(nullptr);
    view.setTransfersPanel(nullptr);
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    describeApplication();
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

    // Every control shows where the keyboard is, in either appearance.
    FocusRing focusRing;
    MainWindow window;
    MountInfoVolumeService volumes;
    FileDialogOpenPanel openPanels(&window);
    FileDialogSavePanel savePanels(&window);
    AppState::Services services;
    services.volumes = &volumes;
    services.openPanels = &openPanels;
    services.savePanels = &savePanels;
    const QList<QUrl> destinations = demoDestinations();
    const QString demoReport = ScreenshotDemo::requestedReport();
    ScreenshotDemo::prepare(services, demoReport, destinations);
    // Created once and alive until the process ends; it fills the volume list itself.
    AppState state(services);

    MainView* view = window.mainView();
    fillWindow(*view, state, appearance);
    state.addSources(commandLineSources());
    state.addDestinations(destinations);
    if (!demoReport.isEmpty()) {
        ScreenshotDemo::run(state, demoReport);
    }
    window.show();
    // The screenshot script's picture of a check's report: check this destination at once.
    const QString demoCheck = qEnvironmentVariable("STOWLINE_DEMO_CHECK");
    if (!demoCheck.isEmpty()) {
        state.startDriveCheck(FileUrl::fromPath(QFileInfo(demoCheck).absoluteFilePath()));
    }

    QTimer::singleShot(0, &window, [&window] {
        window.raise();
        window.activateWindow();
        RenderStats::start();
    });
    const int status = QApplication::exec();
    emptyWindow(*view);
    Notifier::setService(nullptr);
    return status;
}
