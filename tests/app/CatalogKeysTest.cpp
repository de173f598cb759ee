#include "Catalogs.h"

#include <QDirIterator>
#include <QFile>
#include <QMap>
#include <QRegularExpression>
#include <QSet>
#include <QTest>

// Checks the catalog sources against each other, against the keys the product must have,
// and against every key the application's and the command line tool's code looks up.
namespace {

// The positional placeholders (%1 … %99) a text uses.
QSet<int> placeholders(const QString& text) {
    static const QRegularExpression pattern(QStringLiteral("%(\\d{1,2})"));
    QSet<int> found;
    for (const auto& match : pattern.globalMatch(text)) {
        found.insert(match.captured(1).toInt());
    }
    return found;
}

bool isTextKey(const QString& literal) {
    static const QRegularExpression pattern(QStringLiteral(
        "^(?:(?:window|titlebar|slotpanel|centercolumn|appstate|transferjob|transfers|reportmodal|report|"
        "notifier|filebrowser|settings|common|failure|drivecheck|cli)(?:\\.[A-Za-z0-9_]+)+|[a-z]+(?:_[a-z]+)*"
        "_"
        "count)$"));
    return pattern.match(literal).hasMatch();
}

// Every key the code names: the literal first argument of an L10n lookup, and any other
// string literal shaped like a text key. A line marked "not a text key" is skipped; a
// literal ending in "." is the prefix of a key built at run time.
QMap<QString, QString> keysUsedInCode() {
    static const QRegularExpression lookup(QStringLiteral("L10n::(?:t|tf|plural)\\(\\s*\"([^\"]*)\""));
    static const QRegularExpression literal(QStringLiteral("\"((?:[^\"\\\\\\n]|\\\\.)*)\""));
    QMap<QString, QString> keys; // key → first place it is used
    for (const char* folder : {"/app", "/cli"}) {
        QDirIterator it(sourceDir + QLatin1String(folder), {QStringLiteral("*.cpp"), QStringLiteral("*.h")},
                        QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            QFile file(path);
            if (!file.open(QIODevice::ReadOnly)) {
                continue;
            }
            int lineNumber = 0;
            for (const QString& line : QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'))) {
                ++lineNumber;
                if (line.contains(QLatin1String("not a text key"))) {
                    continue;
                }
                const QString place =
                    path.mid(sourceDir.size() + 1) + QLatin1Char(':') + QString::number(lineNumber);
                for (const auto& match : lookup.globalMatch(line)) {
                    if (!match.captured(1).endsWith(QLatin1Char('.'))) {
                        keys.insert(match.captured(1), place);
                    }
                }
                for (const auto& match : literal.globalMatch(line)) {
                    if (isTextKey(match.captured(1))) {
                        keys.insert(match.captured(1), place);
                    }
                }
            }
        }
    }
    return keys;
}

} // namespace

class CatalogKeysTest : public QObject {
    Q_OBJECT

    Catalog english;
    Catalog portuguese;

private slots:
    void initTestCase() {
        QString error;
        english = readCatalog(QStringLiteral("en"), &error);
        portuguese = readCatalog(QStringLiteral("pt-BR"), &error);
        QVERIFY2(error.isEmpty(), qPrintable(error));
        QVERIFY(!english.isEmpty());
    }

    void bothCatalogsHoldTheSameKeys() { QCOMPARE(portuguese.keys(), english.keys()); }

    // Entries the compiler would drop, or that would show placeholders the caller never
    // fills (or drop an argument), in one language only.
    void entriesAreCompleteAndAgreeOnPlaceholders() {
        for (const auto* catalog : {&english, &portuguese}) {
            for (auto it = catalog->cbegin(); it != catalog->cend(); ++it) {
                const QByteArray key = it.key().toUtf8();
                const Entry& entry = it.value();
                QVERIFY2(!entry.unfinished, key.constData());
                QVERIFY2(!entry.texts.isEmpty(), key.constData());
                // Plural phrases are the undotted "…_count" keys; a dotted "…_count" key is a
                // sentence that takes such a phrase as its argument.
                const bool pluralKey = it.key().endsWith(QLatin1String("_count"));
                QVERIFY2(!entry.numerus || pluralKey, key.constData());
                QVERIFY2(entry.numerus || !pluralKey || it.key().contains(QLatin1Char('.')), key.constData());
                for (const QString& text : entry.texts) {
                    QVERIFY2(!text.trimmed().isEmpty(), key.constData());
                    if (entry.numerus) {
                        QVERIFY2(text.contains(QLatin1String("%Ln")) || text.contains(QLatin1String("%n")),
                                 key.constData());
                    }
                }
            }
        }
        for (auto it = english.cbegin(); it != english.cend(); ++it) {
            const auto other = portuguese.constFind(it.key());
            if (other == portuguese.cend()) {
                continue;
            }
            QVERIFY2(placeholders(other->texts.join(' ')) == placeholders(it->texts.join(' ')),
                     qPrintable(it.key() + QStringLiteral(": the languages use different placeholders")));
        }
    }

    void everyRequiredKeyIsThereWithItsArguments() {
        QFile file(sourceDir + QStringLiteral("/tests/app/data/required_text_keys.txt"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        int count = 0;
        for (const QString& raw : QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'))) {
            const QString line = raw.trimmed();
            if (line.isEmpty() || line.startsWith(QLatin1Char('#'))) {
                continue;
            }
            const QStringList fields = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
            QCOMPARE(fields.size(), 2);
            const QString& key = fields[0];
            ++count;
            for (const auto* catalog : {&english, &portuguese}) {
                const auto entry = catalog->constFind(key);
                QVERIFY2(entry != catalog->cend(), qPrintable(QStringLiteral("missing: ") + key));
                if (fields[1] == QLatin1String("n")) {
                    QVERIFY2(entry->numerus, qPrintable(key));
                    continue;
                }
                QSet<int> expected;
                for (int i = 1; i <= fields[1].toInt(); ++i) {
                    expected.insert(i);
                }
                QVERIFY2(placeholders(entry->texts.join(' ')) == expected,
                         qPrintable(key + QStringLiteral(" should take %1 argument(s)").arg(fields[1])));
            }
        }
        QVERIFY(count > 100);
    }

    void everyKeyTheCodeUsesExists() {
        const QMap<QString, QString> used = keysUsedInCode();
        QStringList missing;
        for (auto it = used.cbegin(); it != used.cend(); ++it) {
            if (!english.contains(it.key()) || !portuguese.contains(it.key())) {
                missing << it.key() + QStringLiteral(" (") + it.value() + QLatin1Char(')');
            }
        }
        QVERIFY2(missing.isEmpty(),
                 qPrintable(QStringLiteral("not in both catalogs: ") + missing.join(", ")));
    }

    // The scan itself must see keys, or a broken pattern would pass everything.
    void scannerRecognisesKeys() {
        for (const char* key :
             {"filebrowser.footer.selected_count", "failure.destinationOutOfSpace", "files_count"}) {
            QVERIFY2(isTextKey(QLatin1String(key)), key);
        }
        for (const char* other : {"failure.", "checkmark.shield", "Stowline.qm"}) {
            QVERIFY2(!isTextKey(QLatin1String(other)), other);
        }
    }
};

QTEST_GUILESS_MAIN(CatalogKeysTest)
#include "CatalogKeysTest.moc"
