#include "platform/FileDialogOpenPanel.h"

#include <QAbstractItemView>
#include <QFileDialog>
#include <QFileInfo>

#include <memory>
#include <utility>

namespace {

// Qt's dialog turns "accept" on a folder into "enter the folder", and lets only one
// folder be selected in Directory mode. This dialog accepts what is selected instead.
class ChooserDialog : public QFileDialog {
public:
    ChooserDialog(QWidget* parent, OpenPanelService::Kind kind) : QFileDialog(parent), kind_(kind) {
        setOption(QFileDialog::DontUseNativeDialog);
        if (kind_ == OpenPanelService::Kind::sources) {
            setFileMode(QFileDialog::ExistingFiles);
        } else {
            setFileMode(QFileDialog::Directory);
            setOption(QFileDialog::ShowDirsOnly);
            // setFileMode makes the views single-selection outside ExistingFiles.
            for (const char* name : {"listView", "treeView"}) {
                if (auto* view = findChild<QAbstractItemView*>(QString::fromLatin1(name))) {
                    view->setSelectionMode(QAbstractItemView::ExtendedSelection);
                }
            }
        }
    }

    [[nodiscard]] const QList<QUrl>& chosen() const { return chosen_; }

    void accept() override {
        const QStringList paths = selectedFiles();
        QList<QUrl> urls;
        for (const QString& path : paths) {
            const QFileInfo info(path);
            const bool fits = kind_ == OpenPanelService::Kind::sources ? info.exists() : info.isDir();
            if (!fits) {
                // Let Qt's dialog explain a typed name that does not exist.
                QFileDialog::accept();
                return;
            }
            urls.append(QUrl::fromLocalFile(info.absoluteFilePath()));
        }
        if (urls.isEmpty()) {
            return;
        }
        chosen_ = std::move(urls);
        QDialog::accept();
    }

private:
    OpenPanelService::Kind kind_;
    QList<QUrl> chosen_;
};

} // namespace

FileDialogOpenPanel::FileDialogOpenPanel(QWidget* window) : window_(window) {}

void FileDialogOpenPanel::open(Kind kind, const QString& prompt, const QString& message,
                               std::function<void(QList<QUrl> chosen)> done) {
    auto* dialog = new ChooserDialog(window_.data(), kind);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowTitle(message);
    dialog->setLabelText(QFileDialog::Accept, prompt);
    QObject::connect(dialog, &QDialog::finished, dialog, [dialog, done = std::move(done)](int result) {
        done(result == QDialog::Accepted ? dialog->chosen() : QList<QUrl>());
    });
    dialog->open();
}
