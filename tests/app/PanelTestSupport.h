#pragma once
// Helpers shared by the transfers panel, report sheet and settings sheet tests.
#include "StateTestSupport.h"

#include "platform/EjectService.h"
#include "platform/RevealService.h"
#include "settings/Appearance.h"
#include "settings/L10n.h"
#include "state/AppState.h"
#include "state/FileUrl.h"
#include "ui/window/MainView.h"
#include "ui/window/WindowWiring.h"

#include "stowline/CopyEngine.h"
#include "stowline/XXHash64.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCoreApplication>
#include <QEnterEvent>
#include <QFile>
#include <QMessageBox>
#include <QPaintEvent>
#include <QRegion>
#include <QTest>

#include <atomic>
#include <filesystem>
#include <memory>

/// Records what would have been shown in the file manager.
class FakeReveal : public RevealService {
public:
    void reveal(const QList<QUrl>& items) override { revealed.append(items); }
    QList<QList<QUrl>> revealed;
};

/// Records each eject and answers with `failure`.
class FakeEjectService : public EjectService {
public:
    std::optional<QString> failure;
    QStringList ejected;
    std::optional<QString> eject(const QString& mountPoint) override {
        ejected << mountPoint;
        return failure;
    }
};

/// The browser's own URL of a path, as it builds one from a listing.
inline QUrl urlOf(const QString& path) {
    return QUrl::fromLocalFile(path);
}

/// The visible alert of that name, if one is up.
inline QMessageBox* alert(const QString& name) {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (auto* box = qobject_cast<QMessageBox*>(w); box && box->objectName() == name && box->isVisible()) {
            return box;
        }
    }
    return nullptr;
}

inline QAbstractButton* button(QMessageBox* box, const QString& text) {
    for (QAbstractButton* b : box->buttons()) {
        if (b->text() == text) {
            return b;
        }
    }
    return nullptr;
}

inline QStringList buttonTexts(QMessageBox* box) {
    QStringList texts;
    for (QAbstractButton* b : box->buttons()) {
        texts << b->text();
    }
    texts.sort();
    return texts;
}

/// A drive's line in the report sheet's summary: what it holds, and why it stopped if it did.
inline QString destinationLine(const char* name, qint64 verified, qint64 files, qint64 bytes,
                               const QString& reason = {}) {
    const QString drive = QString::fromUtf8(name), held = L10n::plural("verified_count", verified),
                  of = L10n::plural("files_count", files), size = byteText(bytes);
    return reason.isEmpty()
               ? L10n::t("reportmodal.summary.destination", {drive, held, of, size})
               : L10n::t("reportmodal.summary.destination_stopped", {drive, held, of, size, reason});
}

/// A shown window whose view holds the transfers panel and opens the state's sheets.
struct SheetWindow {
    explicit SheetWindow(AppState& state) {
        installTransfersAndSettings(*new MainView(&window), state, appearance, reveal);
        window.show();
    }
    Appearance appearance;
    FakeReveal reveal;
    QWidget window;
};

/// Sends the pointer into or out of a widget, as hovering does.
inline void hover(QWidget* widget, bool inside) {
    if (inside) {
        QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
        QCoreApplication::sendEvent(widget, &enter);
    } else {
        QEvent leave(QEvent::Leave);
        QCoreApplication::sendEvent(widget, &leave);
    }
}

/// Counts the paint events each watched widget receives, and what they repainted.
class PaintCounter : public QObject {
public:
    void watch(QWidget* widget) {
        widget->installEventFilter(this);
        counts[widget] = 0;
        painted[widget] = QRegion();
    }
    void reset() {
        for (auto it = counts.begin(); it != counts.end(); ++it) {
            it.value() = 0;
            painted[it.key()] = QRegion();
        }
    }
    QHash<QObject*, int> counts;
    QHash<QObject*, QRegion> painted;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            ++counts[watched];
            painted[watched] += static_cast<QPaintEvent*>(event)->region();
        }
        return false;
    }
};
