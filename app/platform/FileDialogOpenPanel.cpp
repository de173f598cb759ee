#include "platform/FileDialogOpenPanel.h"

#include "stowline/ByteFormat.h"

#include <QAbstractItemView>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QLocale>
#include <QStyledItemDelegate>
#include <QTreeView>

#include <memory>
#include <utility>

namespace {

// Qt's detail view writes sizes in binary units and dates in the system's locale, whatever
// the interface speaks. Sizes here follow the rest of the window (decimal, the active
// language's separators) and dates the active language's short form.
class DetailDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        const auto* model = qobject_cast<const QFileSystemModel*>(index.model());
        if (model == nullptr) {
            return;
        }
        const QFileInfo info = model->fileInfo(index);
        if (index.column() == sizeColumn && info.isFile()) {
            option->text = QString::fromStdString(stowline::ByteFormat::string(info.size()));
        } else if (index.column() == dateColumn) {
            option->text = QLocale().toString(info.lastModified(), QLocale::ShortFormat);
        }
    }

private:
    static constexpr int sizeColumn = 1;
    static constexpr int dateColumn = 3;
};

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
        if (auto* details = findChild<QTreeView*>(QStringLiteral("treeView"))) {
            details->setItemDelegate(new DetailDelegate(details));
            // Translated headings are longer than Qt's English ones: give them their room.
            details->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
            details->header()->setStretchLastSection(false);
            details->header()->setSectionResizeMode(0, QHeaderView::Stretch);
        }
        resize(900, 560);
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
