#include "browser/BrowserFooter.h"
#include "kit/KeyedLabel.h"

#include "browser/BrowserModel.h"
#include "kit/Buttons.h"
#include "kit/Fonts.h"
#include "kit/ProgressCapsule.h"
#include "kit/Symbol.h"
#include "kit/Theme.h"
#include "platform/DisplayPath.h"
#include "settings/L10n.h"
#include "stowline/ByteFormat.h"

#include <QAbstractButton>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QTimer>

namespace {

// A label with a leading symbol (10, bold, 6 from the text) on a faint rounded fill.
class FooterButton : public QAbstractButton {
public:
    FooterButton(const QString& symbol, const QString& text, QWidget* parent)
        : QAbstractButton(parent), symbol_(symbol) {
        setText(text);
        setCursor(Qt::PointingHandCursor);
        setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    }

    QSize sizeHint() const override {
        const double textWidth =
            QFontMetricsF(Fonts::sans(12, Fonts::Weight::medium)).horizontalAdvance(text());
        return {qCeil(10 + 10 + 6 + textWidth + 10), 26};
    }

protected:
    void paintEvent(QPaintEvent*) override {
        const Theme& theme = Theme::current();
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        const QColor tint = isEnabled() ? theme.accent : theme.faintGrey;
        QPainterPath path;
        path.addRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 7, 7);
        p.fillPath(path, isDown() ? theme.overlay(0.10, 0.12) : theme.overlay(0.04, 0.06));
        const QPixmap glyph = Symbol::pixmap(symbol_, 10, tint, devicePixelRatioF(), Fonts::Weight::bold);
        const QSizeF glyphSize = glyph.deviceIndependentSize();
        p.drawPixmap(QPointF(10, height() / 2.0 - glyphSize.height() / 2), glyph);
        p.setFont(Fonts::sans(12, Fonts::Weight::medium));
        p.setPen(isEnabled() ? theme.mainText : theme.faintGrey);
        p.drawText(QRectF(10 + 10 + 6, 0, width() - 26, height()), Qt::AlignLeft | Qt::AlignVCenter, text());
    }

private:
    QString symbol_;
};

// One line of text shortened in the middle to the width it gets.
class StatusLine : public QLabel {
public:
    using QLabel::QLabel;
    void setFullText(const QString& text) {
        full_ = text;
        setToolTip(text);
        update();
    }
    const QString& fullText() const { return full_; }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setFont(font());
        p.setPen(Theme::current().grey);
        p.drawText(rect(), Qt::AlignLeft | Qt::AlignVCenter,
                   QFontMetricsF(font()).elidedText(full_, Qt::ElideMiddle, width()));
    }

private:
    QString full_;
};

// A running paste: the capsule bar with "Pasting 12 MB of 40 MB" beside it.
class PasteProgressLine : public QWidget {
public:
    using QWidget::QWidget;
    void setProgress(qint64 done, qint64 total) {
        done_ = done;
        total_ = total;
        const QString text = label();
        setAccessibleName(text);
        update();
    }
    QString label() const {
        return L10n::t("filebrowser.paste.progress",
                       {QString::fromStdString(stowline::ByteFormat::string(done_)),
                        QString::fromStdString(stowline::ByteFormat::string(total_))});
    }

protected:
    void paintEvent(QPaintEvent*) override {
        const Theme& theme = Theme::current();
        QPainter p(this);
        const QFont font = Fonts::mono(11);
        const QString text = label();
        const double textWidth =
            std::min<double>(QFontMetricsF(font).horizontalAdvance(text) + 1, width() * 0.6);
        const double barWidth = std::max(0.0, width() - textWidth - 10);
        const ProgressCapsule bar{total_ > 0 ? static_cast<double>(done_) / static_cast<double>(total_) : 0,
                                  theme.overlay(0.05, 0.05), theme.blue};
        bar.paint(p, QRectF(0, (height() - ProgressCapsule::height) / 2, barWidth, ProgressCapsule::height));
        p.setFont(font);
        p.setPen(theme.grey);
        p.drawText(QRectF(barWidth + 10, 0, textWidth, height()), Qt::AlignLeft | Qt::AlignVCenter,
                   QFontMetricsF(font).elidedText(text, Qt::ElideRight, textWidth));
    }

private:
    qint64 done_ = 0;
    qint64 total_ = 0;
};

} // namespace

BrowserFooter::BrowserFooter(BrowserModel* model, UrlsHandler addSources, UrlsHandler addDestinations,
                             QWidget* parent)
    : QWidget(parent), model_(model), addSources_(std::move(addSources)),
      addDestinations_(std::move(addDestinations)), status_(new StatusLine(this)),
      sourceButton_(new FooterButton(QStringLiteral("arrow.up"), L10n::t("filebrowser.set_source"), this)),
      destinationButton_(
          new FooterButton(QStringLiteral("arrow.down"), L10n::t("filebrowser.set_dest"), this)),
      pasteLine_(new PasteProgressLine(this)),
      cancelPaste_(new CircleIconButton(QStringLiteral("stop.fill"), this)), pasteTimer_(new QTimer(this)) {
    setFixedHeight(38);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(12, 0, 8, 0);
    row->setSpacing(6);
    status_->setFont(Fonts::mono(11));
    status_->setTextFormat(Qt::PlainText);
    status_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    row->addWidget(status_, 1);
    row->addWidget(pasteLine_, 1);
    row->addWidget(cancelPaste_);
    row->addSpacing(6);
    row->addWidget(sourceButton_);
    row->addWidget(destinationButton_);
    pasteLine_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    pasteLine_->hide();
    cancelPaste_->hide();
    connect(cancelPaste_, &QAbstractButton::clicked, model_, &BrowserModel::cancelPaste);
    KeyedLabel::attach(cancelPaste_, "filebrowser.paste.cancel");
    // The worker counts bytes; the footer reads them ten times a second while a paste runs.
    pasteTimer_->setInterval(100);
    connect(pasteTimer_, &QTimer::timeout, this, &BrowserFooter::showPasteProgress);
    connect(model_, &BrowserModel::pastingChanged, this, &BrowserFooter::showPasteProgress);

    connect(sourceButton_, &QAbstractButton::clicked, this, [this] {
        QList<QUrl> urls;
        for (const BrowserItem& item : model_->selectedItems()) {
            urls << item.url;
        }
        if (!urls.isEmpty() && addSources_) {
            addSources_(urls);
        }
    });
    connect(destinationButton_, &QAbstractButton::clicked, this, [this] {
        QList<QUrl> urls;
        for (const BrowserItem& item : model_->selectedItems()) {
            if (item.isDirectory) {
                urls << item.url;
            }
        }
        if (!urls.isEmpty() && addDestinations_) {
            addDestinations_(urls);
        }
    });
    retranslate();
}

QString BrowserFooter::statusText() const {
    const auto folder = model_->currentFolder();
    const QString location =
        folder ? DisplayPath::displayPath(folder->toLocalFile()) : L10n::t("filebrowser.root");
    QString text = L10n::t("filebrowser.footer.status",
                           {L10n::plural("items_count", model_->currentItems().size()), location});
    const QList<BrowserItem> selected = model_->selectedItems();
    if (selected.size() == 1) {
        text += L10n::t("filebrowser.footer.selected", {selected.constFirst().name});
    } else if (selected.size() > 1) {
        text +=
            L10n::t("filebrowser.footer.selected_count", {L10n::plural("selected_count", selected.size())});
    }
    return text;
}

void BrowserFooter::showPasteProgress() {
    const bool pasting = model_->isPasting();
    if (pasting) {
        const BrowserModel::PasteProgress progress = model_->pasteProgress();
        static_cast<PasteProgressLine*>(pasteLine_)->setProgress(progress.doneBytes, progress.totalBytes);
        if (!pasteTimer_->isActive()) {
            pasteTimer_->start();
        }
    } else {
        pasteTimer_->stop();
    }
    status_->setVisible(!pasting);
    pasteLine_->setVisible(pasting);
    cancelPaste_->setVisible(pasting);
}

void BrowserFooter::retranslate() {
    sourceButton_->setText(L10n::t("filebrowser.set_source"));
    destinationButton_->setText(L10n::t("filebrowser.set_dest"));
    for (QAbstractButton* button : {sourceButton_, destinationButton_}) {
        button->updateGeometry();
    }
    showPasteProgress();
    refresh();
}

void BrowserFooter::refresh() {
    static_cast<StatusLine*>(status_)->setFullText(statusText());
    status_->setAccessibleName(statusText());
    const QList<BrowserItem> selected = model_->selectedItems();
    sourceButton_->setEnabled(!selected.isEmpty());
    destinationButton_->setEnabled(std::any_of(selected.begin(), selected.end(),
                                               [](const BrowserItem& item) { return item.isDirectory; }));
    status_->update();
}

void BrowserFooter::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::LanguageChange) {
        retranslate();
    } else if (event->type() == QEvent::ApplicationPaletteChange) {
        refresh();
    }
}
