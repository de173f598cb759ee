#include "ui/window/MainWindow.h"

#include "settings/L10n.h"
#include "ui/window/MainView.h"

#include <QEvent>

MainWindow::MainWindow(QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("mainWindow"));
    view_ = new MainView(this);
    setCentralWidget(view_);
    setMinimumSize(minimumContentSize);
    resize(defaultSize);
    setWindowTitle(L10n::t("window.title"));
}

void MainWindow::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange) {
        setWindowTitle(L10n::t("window.title"));
    }
    QMainWindow::changeEvent(event);
}
