#include "browser/BrowserScrollBars.h"

#include "kit/Theme.h"

#include <QAbstractScrollArea>
#include <QScrollBar>

void BrowserScrollBars::apply(QAbstractScrollArea* area) {
    const QColor handle = Theme::current().overlay(0.22, 0.25);
    const QString sheet =
        QStringLiteral("QScrollBar:vertical { width: 10px; background: transparent; margin: 2px; }"
                       "QScrollBar:horizontal { height: 10px; background: transparent; margin: 2px; }"
                       "QScrollBar::handle { background: %1; border-radius: 3px; }"
                       "QScrollBar::handle:vertical { min-height: 24px; }"
                       "QScrollBar::handle:horizontal { min-width: 24px; }"
                       "QScrollBar::add-line, QScrollBar::sub-line { width: 0; height: 0; }"
                       "QScrollBar::add-page, QScrollBar::sub-page { background: transparent; }")
            .arg(handle.name(QColor::HexArgb));
    area->verticalScrollBar()->setStyleSheet(sheet);
    area->horizontalScrollBar()->setStyleSheet(sheet);
}
