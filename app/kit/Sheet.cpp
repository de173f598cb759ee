#include "kit/Sheet.h"

#include "kit/Theme.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QPainter>
#include <QVBoxLayout>

Sheet::Sheet(const QString& objectName, QSize size, QWidget* parent, std::function<void()> onReject)
    : QDialog(parent), onReject_(std::move(onReject)) {
    setObjectName(objectName);
    setWindowModality(Qt::WindowModal);
    setFixedSize(size);
}

QHBoxLayout* Sheet::titleHeader(QWidget* title, QWidget* subtitle, QWidget* close, int inset) {
    auto* titles = new QVBoxLayout;
    titles->setSpacing(3);
    titles->addWidget(title);
    titles->addWidget(subtitle);
    auto* header = new QHBoxLayout;
    // The close button's glyph sits inside its own box: it needs less room at the edge.
    header->setContentsMargins(inset, 16, inset - 4, 14);
    header->addLayout(titles, 1);
    header->addWidget(close, 0, Qt::AlignTop);
    return header;
}

void Sheet::reject() {
    if (onReject_) {
        onReject_();
    }
    QDialog::reject();
}

void Sheet::paintEvent(QPaintEvent*) {
    QPainter(this).fillRect(rect(), Theme::current().card);
}

void Sheet::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    if (event->type() == QEvent::LanguageChange) {
        retranslate();
    }
}
