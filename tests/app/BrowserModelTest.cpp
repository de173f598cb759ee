#include "MountNamespace.h"
#include "PanelTestSupport.h"

#include "browser/BrowserModel.h"
#include "browser/PasteOperation.h"
#include "platform/EjectService.h"
#include "platform/TrashService.h"
#include "settings/L10n.h"
#include "settings/Localization.h"
#include "settings/ResourceBundle.h"
#include "state/FileUrl.h"

#include <QClipboard>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QGuiApplication>
#include <QMimeData>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <sys/mount.h>
#include <sys/stat.h>

#include <cstdio>
#include <fcntl.h>

namespace {

QStringList names(const QList<BrowserItem>& items) {
    QStringList result;
    for (const BrowserItem& item : items) {
        result << item.name;
    }
    return result;
}

// Every path below `folder`, relative, sorted: the whole tree, hidden entries included.
QStringList tree(const QString& folder) {
    QStringList paths;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        paths << QDir(folder).relativeFilePath(it.next());
    }
    paths.sort();
    return paths;
}

BrowserItem itemFor(BrowserModel& model, const QString& path) {
    const QUrl url = urlOf(path);
    for (const BrowserItem& item : model.items(urlOf(QFileInfo(path).absolutePath()))) {
        if (item.url == url) {
            return item;
        }
    }
    return BrowserItem{url, QFileInfo(path).fileName(), QFileInfo(path).isDir(), std::nullopt};
}

bool pasteAndWait(BrowserModel& model, const QString& folder) {
    QSignalSpy finished(&model, &BrowserModel::pasteFinished);
    model.paste(urlOf(folder));
    return finished.count() == 1 || finished.wait(10'000);
}

} // namespace

class BrowserModelTest : public QObject {
    Q_OBJECT

    QTemporaryDir root;
    QString base; // a fresh folder per test

private slots:
    void initTestCase() {
        ResourceBundle::setPathForTesting(QStringLiteral(STOWLINE_BUNDLE_DIR));
        Localization::setPreferredLanguagesForTesting(QStringList{QStringLiteral("en")});
        Localization::refresh();
        QVERIFY(root.isValid());
    }

    void init() {
        static int counter = 0;
        base = root.filePath(QStringLiteral("case%1").arg(++counter));
        QVERIFY(QDir().mkpath(base));
    }

    void listingSortsFoldersFirstNaturallyAndHidesDotEntries() {
        QDir().mkpath(base + "/z");
        QDir().mkpath(base + "/.git");
        writeFile(base + "/a10", "1234567890");
        writeFile(base + "/a2", "12");
        writeFile(base + "/B1", "");
        writeFile(base + "/.DS_Store", "x");
        BrowserModel model;
        const QList<BrowserItem> listing = model.items(urlOf(base));
        QCOMPARE(names(listing), (QStringList{"z", "a2", "a10", "B1"}));
        QVERIFY(listing[0].isDirectory);
        QCOMPARE(listing[0].size, std::nullopt);
        QCOMPARE(listing[2].size, std::optional<qint64>(10));
        QCOMPARE(listing[3].size, std::optional<qint64>(0));

        // A folder that cannot be read lists as empty, and stays cached like any other.
        QVERIFY(model.items(urlOf(base + "/gone")).isEmpty());
        QVERIFY(model.isCached(urlOf(base + "/gone")));
    }

    // Nothing watches the disk: a listing changes only when an operation drops it.
    void cachedListingsAreDroppedOnlyByTheOperationsThatSaySo() {
        QDir().mkpath(base + "/A/B");
        BrowserModel model;
        model.open(BrowserItem{urlOf(base), "case", true, std::nullopt});
        model.open(itemFor(model, base + "/A"));
        QCOMPARE(names(model.currentItems()), QStringList{"B"});

        writeFile(base + "/A/new.mov", "x");
        model.selectOnly(urlOf(base + "/A/B"));
        model.setViewMode(BrowserModel::ViewMode::list);
        QCOMPARE(names(model.currentItems()), QStringList{"B"});

        model.open(itemFor(model, base + "/A/B"));
        model.goBack(); // forgets B and the new last folder A
        QCOMPARE(names(model.currentItems()), (QStringList{"B", "new.mov"}));
        QVERIFY(model.selection().isEmpty());

        writeFile(base + "/A/later.mov", "x");
        model.goToCrumb(0); // breadcrumbs keep cached listings
        model.open(itemFor(model, base + "/A"));
        QCOMPARE(names(model.currentItems()), (QStringList{"B", "later.mov", "new.mov"}));

        model.goToRoot();
        model.goBack(); // at the root: nothing
        QVERIFY(model.pathStack().isEmpty());
    }

    void clickSelectionFollowsModifiers() {
        const QList<BrowserItem> items{{urlOf("/v/z"), "z", true, {}},
                                       {urlOf("/v/a2"), "a2", false, 2},
                                       {urlOf("/v/a10"), "a10", false, 10},
                                       {urlOf("/v/B1"), "B1", false, 1}};
        BrowserModel model;
        // Shift without an earlier click selects the entry alone.
        model.click(items[2], items, Qt::ShiftModifier);
        QCOMPARE(model.selection(), QSet<QUrl>{items[2].url});

        model.click(items[0], items, Qt::NoModifier);
        model.click(items[3], items, Qt::ControlModifier);
        QCOMPARE(model.selection(), (QSet<QUrl>{items[0].url, items[3].url}));
        QCOMPARE(model.anchor(), items[3].url);

        // The range from the anchor back to a2 is added; z stays; the anchor does not move.
        model.click(items[1], items, Qt::ShiftModifier);
        QCOMPARE(model.selection(), (QSet<QUrl>{items[0].url, items[1].url, items[2].url, items[3].url}));
        QCOMPARE(model.anchor(), items[3].url);

        // Ctrl wins over Shift: a selected entry is deselected and becomes the anchor.
        model.click(items[2], items, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(model.selection(), (QSet<QUrl>{items[0].url, items[1].url, items[3].url}));
        QCOMPARE(model.anchor(), items[2].url);

        // An anchor missing from the list the click happened in: a plain selection.
        const QList<BrowserItem> otherColumn{items[1]};
        model.click(items[1], otherColumn, Qt::ShiftModifier);
        QCOMPARE(model.selection(), QSet<QUrl>{items[1].url});
    }

    void newFolderTakesTheNextFreeNameAndOpensRename() {
        const QString name = L10n::t("filebrowser.new_folder_name");
        QDir().mkpath(base + "/" + name);
        writeFile(base + "/" + name + " 2", "a file also takes the name");
        BrowserModel model;
        model.open(BrowserItem{urlOf(base), "case", true, std::nullopt});
        QCOMPARE(model.currentItems().size(), 2);
        QSignalSpy renaming(&model, &BrowserModel::renameTargetChanged);

        model.createFolder(urlOf(base));
        const QString created = base + "/" + name + " 3";
        QVERIFY(QFileInfo(created).isDir());
        QCOMPARE(renaming.count(), 1);
        QCOMPARE(model.renameTarget(), (BrowserItem{urlOf(created), name + " 3", true, std::nullopt}));
        QCOMPARE(model.selection(), QSet<QUrl>{urlOf(created)});
        QCOMPARE(model.currentItems().size(), 3);

        model.createFolder(urlOf(base + "/missing"));
        QVERIFY(model.lastError().has_value());
        QVERIFY(model.lastError()->startsWith(L10n::t("filebrowser.error.create_folder", {QString()})));
    }

    void renameTrimsRefusesTakenNamesAndKeepsFiles() {
        writeFile(base + "/A001.mov", "take one");
        writeFile(base + "/A002.mov", "take two");
        BrowserModel model;
        const BrowserItem first = itemFor(model, base + "/A001.mov");

        for (const QString& same : {QString("A001.mov"), QString("   "), QString("\t A001.mov  ")}) {
            model.rename(first, same);
            QVERIFY(!model.lastError());
            QCOMPARE(readFile(base + "/A001.mov"), QByteArray("take one"));
        }

        model.rename(first, "  A002.mov\t");
        QCOMPARE(model.lastError(), L10n::t("filebrowser.error.rename_exists", {"A002.mov"}));
        QCOMPARE(readFile(base + "/A001.mov"), QByteArray("take one"));
        QCOMPARE(readFile(base + "/A002.mov"), QByteArray("take two"));
        model.clearLastError();

        // A slash would move the file into another folder: refused.
        QDir().mkpath(base + "/sub");
        model.rename(first, "sub/A001.mov");
        QVERIFY(model.lastError().has_value());
        QCOMPARE(tree(base), (QStringList{"A001.mov", "A002.mov", "sub"}));
        model.clearLastError();

        model.rename(first, " Scene 1.mov ");
        QVERIFY(!model.lastError());
        QCOMPARE(readFile(base + "/Scene 1.mov"), QByteArray("take one"));
        QCOMPARE(model.selection(), QSet<QUrl>{urlOf(base + "/Scene 1.mov")});
        QCOMPARE(names(model.items(urlOf(base))), (QStringList{"sub", "A002.mov", "Scene 1.mov"}));
    }

    void renamingOrTrashingAnOpenFolderFixesThePath() {
        QDir().mkpath(base + "/Card/DCIM/100");
        writeFile(base + "/Card/DCIM/100/A.mov", "a");
        BrowserModel model;
        model.open(BrowserItem{urlOf(base), "case", true, std::nullopt});
        model.open(itemFor(model, base + "/Card"));
        model.open(itemFor(model, base + "/Card/DCIM"));
        model.open(itemFor(model, base + "/Card/DCIM/100"));

        model.rename(BrowserItem{urlOf(base + "/Card/DCIM"), "DCIM", true, std::nullopt}, "Clips");
        QVERIFY(!model.lastError());
        QCOMPARE(model.pathStack(),
                 (QList<QUrl>{urlOf(base), urlOf(base + "/Card"), urlOf(base + "/Card/Clips")}));
        QCOMPARE(names(model.currentItems()), QStringList{"100"});

        // The trash lives in a data folder of the test's own.
        QTemporaryDir data;
        qputenv("XDG_DATA_HOME", QFile::encodeName(data.path()));
        model.moveToTrash(BrowserItem{urlOf(base + "/Card"), "Card", true, std::nullopt});
        QVERIFY2(!model.lastError(), qPrintable(model.lastError().value_or(QString())));
        QCOMPARE(model.pathStack(), QList<QUrl>{urlOf(base)});
        QVERIFY(!QFileInfo::exists(base + "/Card"));
        QCOMPARE(readFile(data.path() + "/Trash/files/Card/Clips/100/A.mov"), QByteArray("a"));
        QVERIFY(model.currentItems().isEmpty());
        QVERIFY(model.selection().isEmpty());

        model.moveToTrash(BrowserItem{urlOf(base + "/nothing"), "nothing", false, std::nullopt});
        QVERIFY(model.lastError().has_value());
        QCOMPARE(model.pathStack(), QList<QUrl>{urlOf(base)});
    }

    void copiesPasteUnderFreeNamesAgainAndAgain() {
        writeFile(base + "/A001.mov", "take");
        QDir().mkpath(base + "/Card/DCIM");
        writeFile(base + "/Card/DCIM/C.mov", "clip");
        BrowserModel model;
        model.copyToClipboard(itemFor(model, base + "/A001.mov"), false);
        QVERIFY(model.canPaste());
        QVERIFY(pasteAndWait(model, base));
        QVERIFY(pasteAndWait(model, base));
        QVERIFY(!model.lastError());
        QVERIFY(model.clipboard().has_value());
        QCOMPARE(readFile(base + "/A001 2.mov"), QByteArray("take"));
        QCOMPARE(readFile(base + "/A001 3.mov"), QByteArray("take"));

        // The browser's own clipboard wins over what another program copied later.
        QGuiApplication::clipboard()->setText("something else");
        model.copyToClipboard(itemFor(model, base + "/Card"), false);
        auto* other = new QMimeData;
        other->setUrls({urlOf(base + "/A001.mov")});
        QGuiApplication::clipboard()->setMimeData(other);
        QVERIFY(pasteAndWait(model, base));
        QCOMPARE(readFile(base + "/Card 2/DCIM/C.mov"), QByteArray("clip"));
        QCOMPARE(tree(base),
                 (QStringList{"A001 2.mov", "A001 3.mov", "A001.mov", "Card", "Card 2", "Card 2/DCIM",
                              "Card 2/DCIM/C.mov", "Card/DCIM", "Card/DCIM/C.mov"}));
        QCOMPARE(names(model.items(urlOf(base))).mid(0, 2), (QStringList{"Card", "Card 2"}));
        QCOMPARE(model.items(urlOf(base)).size(), 5);

        // Without a clipboard of its own, the system clipboard's files are pasted.
        BrowserModel fresh;
        QVERIFY(fresh.canPaste());
        QVERIFY(pasteAndWait(fresh, base + "/Card"));
        QCOMPARE(readFile(base + "/Card/A001.mov"), QByteArray("take"));
    }

    // A recursive copy into itself would never end.
    void aFolderIsNeverPastedIntoItself() {
        QDir().mkpath(base + "/Card/DCIM/100");
        writeFile(base + "/Card/DCIM/100/A.mov", "a");
        QVERIFY(QFile::link(base + "/Card", base + "/shortcut"));
        const QStringList before = tree(base);
        for (const bool cut : {false, true}) {
            for (const QString& into : {base + "/Card", base + "/Card/DCIM/100", base + "/shortcut/DCIM"}) {
                BrowserModel model;
                model.copyToClipboard(itemFor(model, base + "/Card"), cut);
                QVERIFY(pasteAndWait(model, into));
                QCOMPARE(model.lastError(),
                         L10n::t("filebrowser.error.paste",
                                 {L10n::t("filebrowser.error.paste_into_itself", {"Card"})}));
                QCOMPARE(tree(base), before);
                QCOMPARE(model.clipboard().has_value(), !cut);
            }
        }
    }

    void cutsMoveAndAreClearedEvenAfterAFailure() {
        writeFile(base + "/A001.mov", "take");
        writeFile(base + "/A002.mov", "other");
        QDir().mkpath(base + "/dest");
        BrowserModel model;
        model.copyToClipboard(itemFor(model, base + "/A001.mov"), true);
        QVERIFY(pasteAndWait(model, base + "/dest"));
        QVERIFY(!model.lastError());
        QVERIFY(!model.clipboard());
        QVERIFY(!QFileInfo::exists(base + "/A001.mov"));
        QCOMPARE(readFile(base + "/dest/A001.mov"), QByteArray("take"));
        QCOMPARE(names(model.items(urlOf(base))), (QStringList{"dest", "A002.mov"}));

        // Cut into its own folder: renamed like a copy would be named.
        model.copyToClipboard(itemFor(model, base + "/A002.mov"), true);
        QVERIFY(pasteAndWait(model, base));
        QCOMPARE(readFile(base + "/A002 2.mov"), QByteArray("other"));
        QVERIFY(!QFileInfo::exists(base + "/A002.mov"));

        model.copyToClipboard(itemFor(model, base + "/A002 2.mov"), true);
        QVERIFY(QFile::remove(base + "/A002 2.mov"));
        QVERIFY(pasteAndWait(model, base + "/dest"));
        QVERIFY(model.lastError().has_value());
        QVERIFY(!model.clipboard());
    }

    // Between file systems a move is a copy, and the original goes only once the copy is whole.
    void aCutAcrossFileSystemsCopiesThenDeletes() {
        const QString disk = base + "/disk";
        QVERIFY(QDir().mkpath(disk));
        if (!MountNamespace::refusal().isEmpty()) {
            QSKIP(qPrintable(QStringLiteral("no mount namespace of its own: ") + MountNamespace::refusal()));
        }
        const MountNamespace::Tmpfs tmpfs(disk, "size=1m");
        if (!tmpfs.mounted()) {
            QSKIP(qPrintable(QStringLiteral("cannot mount a tmpfs: ") + tmpfs.error()));
        }

        QDir().mkpath(base + "/Card/DCIM");
        writeFile(base + "/Card/DCIM/A.mov", QByteArray(200 * 1024, 'a'));
        BrowserModel model;
        model.copyToClipboard(itemFor(model, base + "/Card"), true);
        QVERIFY(pasteAndWait(model, disk));
        QVERIFY(!model.lastError());
        QCOMPARE(readFile(disk + "/Card/DCIM/A.mov"), QByteArray(200 * 1024, 'a'));
        QVERIFY(!QFileInfo::exists(base + "/Card"));

        // Too big for the disk: the original stays and no partial copy is left behind.
        writeFile(base + "/big.mov", QByteArray(2 * 1024 * 1024, 'b'));
        model.copyToClipboard(itemFor(model, base + "/big.mov"), true);
        QVERIFY(pasteAndWait(model, disk));
        QVERIFY(model.lastError().has_value());
        QCOMPARE(QFileInfo(base + "/big.mov").size(), 2 * 1024 * 1024);
        QCOMPARE(tree(disk), (QStringList{"Card", "Card/DCIM", "Card/DCIM/A.mov"}));
    }

    // Every entry is listed, whatever its name's bytes, and acts on those bytes; long names
    // paste; copies keep their modification time; a link to a folder goes into that folder.
    void everyEntryIsListedAndPastedWithItsBytes() {
        const QByteArray folder = QFile::encodeName(base);
        const QByteArray odd = folder + "/take \xff\xfe.mov";
        const QByteArray longName = QByteArray(250, 'L') + ".mov";
        for (const QByteArray& path : {odd, folder + "/" + longName}) {
            QFile file;
            QVERIFY(
                file.open(std::fopen(path.constData(), "w"), QIODevice::WriteOnly, QFile::AutoCloseHandle));
            file.write("bytes");
        }
        const timespec old[2] = {{0, UTIME_OMIT}, {1'000'000'000, 0}};
        QCOMPARE(::utimensat(AT_FDCWD, odd.constData(), old, 0), 0);
        QDir().mkpath(base + "/Card/DCIM");
        QVERIFY(QFile::link(base + "/Card", base + "/Card/link"));

        BrowserModel model;
        const QList<BrowserItem> listing = model.items(urlOf(base));
        QCOMPARE(listing.size(), 3);
        const BrowserItem strange =
            listing.at(2).name.startsWith(QLatin1String("take")) ? listing.at(2) : listing.at(1);
        QCOMPARE(FileUrl::nativePath(strange.url), odd);

        model.copyToClipboard(strange, false);
        QDir().mkpath(base + "/out");
        QVERIFY(pasteAndWait(model, base + "/out"));
        QVERIFY2(!model.lastError(), qPrintable(model.lastError().value_or(QString())));
        struct stat copied {};
        QCOMPARE(::stat((folder + "/out/take \xff\xfe.mov").constData(), &copied), 0);
        QCOMPARE(copied.st_mtim.tv_sec, 1'000'000'000);

        model.copyToClipboard(itemFor(model, base + "/" + QString::fromLatin1(longName)), false);
        QVERIFY(pasteAndWait(model, base + "/out"));
        QVERIFY2(!model.lastError(), qPrintable(model.lastError().value_or(QString())));
        QVERIFY(QFileInfo::exists(base + "/out/" + QString::fromLatin1(longName)));

        model.copyToClipboard(itemFor(model, base + "/Card/link"), false);
        QVERIFY(pasteAndWait(model, base + "/Card"));
        QVERIFY2(!model.lastError(), qPrintable(model.lastError().value_or(QString())));
        QCOMPARE(QFileInfo(base + "/Card/link 2").symLinkTarget(),
                 QFileInfo(base + "/Card").absoluteFilePath());

        model.rename(strange, QStringLiteral("renamed.mov"));
        QVERIFY(!model.lastError());
        QVERIFY(QFileInfo::exists(base + "/renamed.mov"));
    }

    // No second paste starts while one runs, and a cut is used up when its paste starts; a
    // crashed paste's hidden leftover goes with the next listing.
    void aCutPastesOnceAndLeftoversAreCleared() {
        writeFile(base + "/A001.mov", QByteArray(1 << 20, 'a'));
        BrowserModel model;
        for (const bool cut : {false, true}) {
            const QString drive = base + (cut ? "/drive" : "/copies");
            QDir().mkpath(drive);
            model.copyToClipboard(itemFor(model, base + "/A001.mov"), cut);
            QSignalSpy finished(&model, &BrowserModel::pasteFinished);
            model.paste(urlOf(drive));
            QCOMPARE(model.clipboard().has_value(), !cut);
            QVERIFY(!model.canPaste());
            model.paste(urlOf(drive)); // refused: it would race the running one
            QVERIFY(finished.count() == 1 || finished.wait(10'000));
            QVERIFY(!model.isPasting()); // the second one never started
            QCOMPARE(QDir(drive).entryList(QDir::Files), QStringList{"A001.mov"});
        }
        QVERIFY(!QFileInfo::exists(base + "/A001.mov"));

        const QByteArray leftover =
            QFile::encodeName(base + "/drive/") + PasteOperation::temporaryName("B.mov");
        QVERIFY(PasteOperation::isTemporaryName(PasteOperation::temporaryName(QByteArray(250, 'x'))));
        QVERIFY(PasteOperation::temporaryName(QByteArray(250, 'x')).size() <= 255);
        writeFile(QFile::decodeName(leftover), "half");
        writeFile(base + "/drive/.B.mov.stowline-partial", "an offload's"); // not ours
        model.open(itemFor(model, base + "/drive"));
        (void)model.currentItems();
        QVERIFY(!QFileInfo::exists(QFile::decodeName(leftover)));
        QVERIFY(QFileInfo::exists(base + "/drive/.B.mov.stowline-partial"));
    }

    void aVolumeWithoutTrashSaysSo() {
        struct NoTrash : TrashService {
            std::optional<Failure> moveToTrash(const QByteArray&) override {
                return Failure{Failure::Kind::noTrashOnVolume, QStringLiteral("Invalid cross-device link")};
            }
        } noTrash;
        writeFile(base + "/C.mov", "c");
        BrowserModel model(BrowserModel::Services{&noTrash, nullptr});
        model.setRootItems({BrowserItem{urlOf(base), QStringLiteral("EVALCARD"), true, std::nullopt}});
        model.moveToTrash(itemFor(model, base + "/C.mov"));
        QVERIFY(model.lastError());
        QVERIFY(model.lastError()->contains(QLatin1String("EVALCARD")));
        QVERIFY(!model.lastError()->contains(QLatin1String("cross-device")));
    }

    void theSystemClipboardCarriesWhatFileManagersRead() {
        writeFile(base + "/A 001.mov", "take");
        BrowserModel model;
        const BrowserItem item = itemFor(model, base + "/A 001.mov");
        const QByteArray encoded = item.url.toEncoded();
        model.copyToClipboard(item, false);
        const QMimeData* data = QGuiApplication::clipboard()->mimeData();
        QVERIFY(data);
        QCOMPARE(data->urls(), QList<QUrl>{item.url});
        QVERIFY(data->data("text/uri-list").startsWith(encoded));
        QCOMPARE(data->data("x-special/gnome-copied-files"), "copy\n" + encoded);
        QCOMPARE(data->data("application/x-kde-cutselection"), QByteArray("0"));

        model.copyToClipboard(item, true);
        data = QGuiApplication::clipboard()->mimeData();
        QCOMPARE(data->data("x-special/gnome-copied-files"), "cut\n" + encoded);
        QCOMPARE(data->data("application/x-kde-cutselection"), QByteArray("1"));

        // Once moved, the system clipboard no longer offers the vanished file.
        QDir().mkpath(base + "/dest");
        QVERIFY(pasteAndWait(model, base + "/dest"));
        QVERIFY(!model.canPaste());
    }

    void ejectingTheBrowsedVolumeReturnsToTheRoot() {
        FakeEjectService ejector;
        BrowserModel model(BrowserModel::Services{nullptr, &ejector});
        QDir().mkpath(base + "/CardA/DCIM");
        QDir().mkpath(base + "/CardB");
        const BrowserItem cardA{urlOf(base + "/CardA"), "CARD A", true, 64'000'000'000};
        const BrowserItem cardB{urlOf(base + "/CardB"), "CARD B", true, 32'000'000'000};
        model.setRootItems({cardA, cardB});
        model.open(cardA);
        model.open(itemFor(model, base + "/CardA/DCIM"));

        model.eject(cardB);
        QCOMPARE(model.pathStack().size(), 2);
        ejector.failure = QStringLiteral("target is busy");
        model.eject(cardA);
        QCOMPARE(model.lastError(), L10n::t("filebrowser.error.eject", {"CARD A", "target is busy"}));
        QCOMPARE(model.pathStack().size(), 2);
        ejector.failure.reset();
        model.eject(cardA);
        QVERIFY(model.pathStack().isEmpty());
        QCOMPARE(ejector.ejected, (QStringList{base + "/CardB", base + "/CardA", base + "/CardA"}));
        QCOMPARE(model.currentItems(), (QList<BrowserItem>{cardA, cardB}));
    }
};

STOWLINE_MOUNT_TEST_MAIN(BrowserModelTest)
#include "BrowserModelTest.moc"
