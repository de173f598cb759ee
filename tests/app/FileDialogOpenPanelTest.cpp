#include "platform/FileDialogOpenPanel.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QListView>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <optional>

namespace {

QFileDialog* openDialog() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* dialog = qobject_cast<QFileDialog*>(widget); dialog != nullptr && dialog->isVisible()) {
            return dialog;
        }
    }
    return nullptr;
}

// Selects `paths` in the dialog's list as a user would with Ctrl-click, once the
// dialog's background listing has found them.
bool selectInList(QFileDialog* dialog, const QStringList& paths) {
    auto* view = dialog->findChild<QListView*>(QStringLiteral("listView"));
    auto* model = view != nullptr ? qobject_cast<QFileSystemModel*>(view->model()) : nullptr;
    if (model == nullptr) {
        return false;
    }
    for (const QString& path : paths) {
        if (!QTest::qWaitFor([&] { return model->index(path).isValid(); }, 5000)) {
            return false;
        }
        view->selectionModel()->select(model->index(path),
                                       QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    return true;
}

// Presses the confirm button, which must be enabled for the selection.
bool clickConfirm(QFileDialog* dialog) {
    auto* box = dialog->findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"));
    if (box == nullptr) {
        return false;
    }
    for (QAbstractButton* button : box->buttons()) {
        if (box->buttonRole(button) == QDialogButtonBox::AcceptRole && button->isEnabled()) {
            button->click();
            return true;
        }
    }
    return false;
}

} // namespace

class FileDialogOpenPanelTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        QVERIFY(folder_.isValid());
        QDir(folder_.path()).mkpath("CARD_A/DCIM");
        QDir(folder_.path()).mkpath("CARD_B");
        QFile clip(folder_.filePath("clip.mov"));
        QVERIFY(clip.open(QIODevice::WriteOnly));
    }

    // Sources may be folders and files at once, and come back as they are, not as "enter the
    // folder"; destinations are several folders.
    void severalItemsComeBackAsChosen() {
        const QString card = folder_.filePath("CARD_A");
        const QString clip = folder_.filePath("clip.mov");
        const QString other = folder_.filePath("CARD_B");
        for (const auto& [kind, picks] :
             {std::pair{OpenPanelService::Kind::sources, QStringList{card, clip}},
              std::pair{OpenPanelService::Kind::destinations, QStringList{card, other}}}) {
            FileDialogOpenPanel panel;
            std::optional<QList<QUrl>> result;
            panel.open(kind, QStringLiteral("Add"), QStringLiteral("Pick"),
                       [&](QList<QUrl> chosen) { result = chosen; });
            QFileDialog* dialog = openDialog();
            QVERIFY(dialog != nullptr);
            QVERIFY(!result.has_value()); // open() returned before the user answered
            QCOMPARE(dialog->windowTitle(), QStringLiteral("Pick"));
            QCOMPARE(dialog->labelText(QFileDialog::Accept), QStringLiteral("Add"));
            dialog->setDirectory(folder_.path());
            QVERIFY(selectInList(dialog, picks));
            QVERIFY(clickConfirm(dialog));
            QTRY_VERIFY(result.has_value());
            QCOMPARE(result->size(), 2);
            for (const QString& pick : picks) {
                QVERIFY(result->contains(QUrl::fromLocalFile(pick)));
            }
            QTRY_VERIFY(openDialog() == nullptr);
        }
    }

    void cancelChoosesNothing() {
        FileDialogOpenPanel panel;
        std::optional<QList<QUrl>> result;
        panel.open(OpenPanelService::Kind::sources, QStringLiteral("Add"), QString(),
                   [&](QList<QUrl> chosen) { result = chosen; });
        QFileDialog* dialog = openDialog();
        QVERIFY(dialog != nullptr);
        dialog->reject();
        QTRY_VERIFY(result.has_value());
        QVERIFY(result->isEmpty());
        // The dialog deletes itself once closed.
        QTRY_VERIFY(openDialog() == nullptr);
    }

private:
    QTemporaryDir folder_;
};

QTEST_MAIN(FileDialogOpenPanelTest)
#include "FileDialogOpenPanelTest.moc"
