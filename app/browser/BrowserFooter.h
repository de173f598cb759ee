#pragma once
#include <QList>
#include <QUrl>
#include <QWidget>

#include <functional>

class BrowserModel;
class QAbstractButton;
class QLabel;
class QTimer;

/// The browser's bottom row: the status line ("12 items in Card/DCIM · 3 selected") and
/// the buttons that hand the selection to the application as sources (every selected
/// entry) or destinations (the selected folders only). Main thread.
class BrowserFooter : public QWidget {
    Q_OBJECT
public:
    using UrlsHandler = std::function<void(const QList<QUrl>&)>;

    BrowserFooter(BrowserModel* model, UrlsHandler addSources, UrlsHandler addDestinations,
                  QWidget* parent = nullptr);

    [[nodiscard]] QString statusText() const;
    [[nodiscard]] QAbstractButton* sourceButton() const { return sourceButton_; }
    [[nodiscard]] QAbstractButton* destinationButton() const { return destinationButton_; }
    /// Shown while a paste runs, with its progress line.
    [[nodiscard]] QAbstractButton* cancelPasteButton() const { return cancelPaste_; }
    [[nodiscard]] QWidget* pasteProgressLine() const { return pasteLine_; }
    /// Reads the listing and selection again.
    void refresh();

protected:
    void changeEvent(QEvent* event) override;

private:
    void retranslate();
    void showPasteProgress();

    BrowserModel* model_;
    UrlsHandler addSources_;
    UrlsHandler addDestinations_;
    QLabel* status_;
    QAbstractButton* sourceButton_;
    QAbstractButton* destinationButton_;
    QWidget* pasteLine_;
    QAbstractButton* cancelPaste_;
    QTimer* pasteTimer_;
};
