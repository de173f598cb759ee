#include "platform/FileIconCache.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>

class FileIconCacheTest : public QObject {
    Q_OBJECT

private slots:
    void init() { FileIconCache::clear(); }

    void eachSizeIsItsOwnSquareEntry() {
        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        const QString clip = folder.filePath("A001.MOV");
        QFile file(clip);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();

        const QPixmap small = FileIconCache::icon(clip, 44);
        const QPixmap large = FileIconCache::icon(clip, 92);
        QCOMPARE(FileIconCache::count(), 2);
        QCOMPARE(small.deviceIndependentSize(), QSizeF(44, 44));
        QCOMPARE(large.deviceIndependentSize(), QSizeF(92, 92));
        // Something is drawn, whether the desktop has an icon theme or not.
        const QImage image = large.toImage();
        bool painted = false;
        for (int y = 0; y < image.height() && !painted; ++y) {
            for (int x = 0; x < image.width() && !painted; ++x) {
                painted = qAlpha(image.pixel(x, y)) > 0;
            }
        }
        QVERIFY(painted);

        // 52.9 is served from the entry for 52.
        const QPixmap at52 = FileIconCache::icon(clip, 52);
        QCOMPARE(FileIconCache::icon(clip, 52.9).cacheKey(), at52.cacheKey());
        QCOMPARE(FileIconCache::count(), 3);

        const QPixmap folderIcon = FileIconCache::icon(folder.path(), 44);
        QCOMPARE(folderIcon.deviceIndependentSize(), QSizeF(44, 44));
        QCOMPARE(FileIconCache::count(), 4);

        QVERIFY(FileIconCache::icon(clip, 0.5).isNull());
        QCOMPARE(FileIconCache::count(), 4);
    }

    // The 514th distinct request finds 513 entries and empties the map before storing.
    void overflowEmptiesTheCacheFirst() {
        for (int i = 0; i < 513; ++i) {
            (void)FileIconCache::icon(QStringLiteral("/nonexistent/file%1.txt").arg(i), 16);
        }
        QCOMPARE(FileIconCache::count(), 513);
        (void)FileIconCache::icon(QStringLiteral("/nonexistent/file0.txt"), 16); // a hit, not a request
        QCOMPARE(FileIconCache::count(), 513);
        (void)FileIconCache::icon(QStringLiteral("/nonexistent/another.txt"), 16);
        QCOMPARE(FileIconCache::count(), 1);
        // A volume that came or went takes its own icons only, not a lookalike's.
        (void)FileIconCache::icon(QStringLiteral("/nonexistent"), 16);
        (void)FileIconCache::icon(QStringLiteral("/nonexistent2/file.txt"), 16);
        FileIconCache::clearUnder({QStringLiteral("/nonexistent")});
        QCOMPARE(FileIconCache::count(), 1);
        FileIconCache::clear();
        QCOMPARE(FileIconCache::count(), 0);
    }
};

QTEST_MAIN(FileIconCacheTest)
#include "FileIconCacheTest.moc"
