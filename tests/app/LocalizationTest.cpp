#include "settings/Localization.h"
#include "settings/L10n.h"
#include "settings/Preferences.h"
#include "settings/ResourceBundle.h"
#include "stowline/ByteFormat.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <functional>
#include <memory>
#include <tuple>
#include <unistd.h>

using stowline::SupportedLanguage;
Q_DECLARE_METATYPE(std::optional<SupportedLanguage>)
Q_DECLARE_METATYPE(SupportedLanguage)

namespace {

// Everything written to file descriptor 2 while `body` runs.
QByteArray captureStandardError(const std::function<void()>& body) {
    std::fflush(stderr);
    FILE* capture = std::tmpfile();
    const int saved = ::dup(STDERR_FILENO);
    ::dup2(::fileno(capture), STDERR_FILENO);
    body();
    std::fflush(stderr);
    ::dup2(saved, STDERR_FILENO);
    ::close(saved);
    QFile file;
    std::rewind(capture);
    file.open(capture, QIODevice::ReadOnly);
    const QByteArray text = file.readAll();
    file.close();
    std::fclose(capture);
    return text;
}

const QString realBundle = QStringLiteral(STOWLINE_BUNDLE_DIR);

QString realCatalog(const QString& language) {
    return realBundle + QLatin1Char('/') + language + QStringLiteral(".lproj/Stowline.qm");
}

} // namespace

class LocalizationTest : public QObject {
    Q_OBJECT

    QTemporaryDir home;
    QTemporaryDir bundles;

    // A bundle holding the given folders; each maps to the real catalog it gets, or to
    // nothing (an empty folder), or to "garbage" (a file that is not a catalog).
    QString makeBundle(const QString& name, const QList<QPair<QString, QString>>& folders) {
        const QString root = bundles.filePath(name);
        QDir().mkpath(root);
        for (const auto& [folder, content] : folders) {
            const QString path = root + QLatin1Char('/') + folder;
            QDir().mkpath(path);
            if (content == QLatin1String("garbage")) {
                QFile file(path + QStringLiteral("/Stowline.qm"));
                file.open(QIODevice::WriteOnly);
                file.write("not a catalog");
            } else if (!content.isEmpty()) {
                QFile::copy(realCatalog(content), path + QStringLiteral("/Stowline.qm"));
            }
        }
        return root;
    }

    void refreshWith(const QStringList& preferred) {
        Localization::setPreferredLanguagesForTesting(preferred);
        Localization::refresh();
    }

private slots:
    void initTestCase() {
        // Before the preference store is first touched: never the real user's settings.
        QVERIFY(home.isValid());
        qputenv("XDG_CONFIG_HOME", home.path().toUtf8());
        QVERIFY(QFile::exists(realCatalog(QStringLiteral("en"))));
        QVERIFY(QFile::exists(realCatalog(QStringLiteral("pt-BR"))));
    }

    void init() {
        ResourceBundle::setPathForTesting(realBundle);
        Localization::setOverride(std::nullopt);
    }

    // The executable is copied into a folder layout of the test's making and asked, through
    // the probe switch in main(), where it finds the bundle.
    void bundleIsSearchedBesideTheExecutableThenInShare() {
        const QString prefix = bundles.filePath("prefix");
        const QString exe = prefix + QStringLiteral("/bin/probe");
        QVERIFY(QDir().mkpath(prefix + QStringLiteral("/bin")));
        QVERIFY(QFile::copy(QCoreApplication::applicationFilePath(), exe));
        const auto probe = [&](const QString& environmentBundle) {
            QProcess process;
            QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
            environment.insert(QStringLiteral("STOWLINE_TEST_BUNDLE_PROBE"), QStringLiteral("1"));
            environment.remove(QStringLiteral("STOWLINE_BUNDLE"));
            if (!environmentBundle.isEmpty()) {
                environment.insert(QStringLiteral("STOWLINE_BUNDLE"), environmentBundle);
            }
            process.setProcessEnvironment(environment);
            process.start(exe, {});
            process.waitForFinished(60000);
            return std::tuple{process.exitCode(),
                              QString::fromUtf8(process.readAllStandardOutput()).trimmed(),
                              QString::fromUtf8(process.readAllStandardError())};
        };

        auto [code, out, err] = probe({});
        QCOMPARE(code, 1);
        QCOMPARE(out, QString());
        QCOMPARE(err, QStringLiteral("unable to find bundle named Stowline_StowlineApp\n"));

        const QString installed = prefix + QStringLiteral("/share/stowline/Stowline_StowlineApp.bundle");
        QVERIFY(QDir().mkpath(installed));
        std::tie(code, out, err) = probe({});
        QCOMPARE(code, 0);
        QCOMPARE(out, QFileInfo(installed).canonicalFilePath());

        const QString beside = prefix + QStringLiteral("/bin/Stowline_StowlineApp.bundle");
        QVERIFY(QDir().mkpath(beside));
        std::tie(code, out, err) = probe({});
        QCOMPARE(out, QFileInfo(beside).canonicalFilePath());

        std::tie(code, out, err) = probe(realBundle);
        QCOMPARE(out, QFileInfo(realBundle).canonicalFilePath());
    }

    void resolvesThroughRefresh_data() {
        QTest::addColumn<QStringList>("preferred");
        QTest::addColumn<std::optional<SupportedLanguage>>("override");
        QTest::addColumn<SupportedLanguage>("expected");
        const std::optional<SupportedLanguage> none;
        QTest::newRow("nothing preferred") << QStringList{} << none << SupportedLanguage::ptBR;
        QTest::newRow("German only") << QStringList{"de-DE"} << none << SupportedLanguage::ptBR;
        QTest::newRow("German then English")
            << QStringList{"de-DE", "en-US"} << none << SupportedLanguage::en;
        QTest::newRow("override English")
            << QStringList{"pt-BR"} << std::optional{SupportedLanguage::en} << SupportedLanguage::en;
        QTest::newRow("override Portuguese")
            << QStringList{"en-US"} << std::optional{SupportedLanguage::ptBR} << SupportedLanguage::ptBR;
    }

    // The language, its catalog and both number formatters follow every resolution.
    void resolvesThroughRefresh() {
        QFETCH(QStringList, preferred);
        QFETCH(std::optional<SupportedLanguage>, override);
        QFETCH(SupportedLanguage, expected);

        Localization::setPreferredLanguagesForTesting(preferred);
        const QByteArray errors = captureStandardError([&] { Localization::setOverride(override); });

        QCOMPARE(errors, QByteArray());
        QCOMPARE(Localization::current(), expected);
        const bool english = expected == SupportedLanguage::en;
        QCOMPARE(L10n::t("common.cancel"), english ? QStringLiteral("Cancel") : QStringLiteral("Cancelar"));
        QCOMPARE(Localization::localeName(), english ? QStringLiteral("en_US") : QStringLiteral("pt_BR"));
        QCOMPARE(QString::fromStdString(stowline::ByteFormat::locale()), Localization::localeName());
        QCOMPARE(QLocale().name(), Localization::localeName());
    }

    void storedOverrideNeedsAnExactRawValue() {
        QSettings& store = Preferences::store();
        for (const char* stored : {"EN", "de", "pt-br", ""}) {
            store.setValue(QStringLiteral("appLanguageOverride"), QString::fromLatin1(stored));
            Localization::reloadOverrideForTesting();
            QVERIFY2(!Localization::override().has_value(), stored);
            refreshWith({QStringLiteral("pt-BR")});
            QCOMPARE(Localization::current(), SupportedLanguage::ptBR);
            // An unrecognised value is left where it is until the user chooses.
            QCOMPARE(store.value(QStringLiteral("appLanguageOverride")).toString(),
                     QString::fromLatin1(stored));
        }
        store.setValue(QStringLiteral("appLanguageOverride"), QStringLiteral("en"));
        Localization::reloadOverrideForTesting();
        QCOMPARE(Localization::override(), std::optional{SupportedLanguage::en});
        refreshWith({QStringLiteral("pt-BR")});
        QCOMPARE(Localization::current(), SupportedLanguage::en);
    }

    void missingCatalogWritesOneLinePerRefreshAndKeysStillShow() {
        ResourceBundle::setPathForTesting(
            makeBundle(QStringLiteral("foreign"), {{QStringLiteral("fr.lproj"), QString()},
                                                   {QStringLiteral("de.lproj"), QString()},
                                                   {QStringLiteral("Fonts"), QString()}}));
        const QByteArray once = captureStandardError([&] { refreshWith({}); });
        QCOMPARE(
            QString::fromUtf8(once),
            QStringLiteral("Stowline: catálogo .lproj não encontrado para pt-BR. Tentados: pt-BR, pt-br. "
                           "Bundle informa: de, fr. A interface vai seguir o idioma do sistema.\n"));
        QCOMPARE(Localization::current(), SupportedLanguage::ptBR);
        QCOMPARE(L10n::t("common.cancel"), QStringLiteral("common.cancel"));
        QCOMPARE(L10n::plural("files_count", 3), QStringLiteral("files_count"));

        const QByteArray twice = captureStandardError([&] {
            refreshWith({QStringLiteral("en-GB")});
            Localization::refresh();
        });
        const QByteArray englishLine =
            "Stowline: catálogo .lproj não encontrado para en. Tentados: en. "
            "Bundle informa: de, fr. A interface vai seguir o idioma do sistema.\n";
        QCOMPARE(twice, englishLine + englishLine);
        // The locale still follows the language even without its catalog.
        QCOMPARE(QString::fromStdString(stowline::ByteFormat::locale()), QStringLiteral("en_US"));
    }

    void unreadableCatalogCountsAsMissing() {
        // A folder whose catalog cannot be loaded must not leave the previous language's
        // texts in place, nor hide the next candidate (a lower-case folder, as some bundles
        // name it).
        refreshWith({QStringLiteral("en")});
        QCOMPARE(L10n::t("common.cancel"), QStringLiteral("Cancel"));
        ResourceBundle::setPathForTesting(
            makeBundle(QStringLiteral("broken"), {{QStringLiteral("en.lproj"), QStringLiteral("garbage")}}));
        const QByteArray line = captureStandardError([&] { refreshWith({QStringLiteral("en")}); });
        QCOMPARE(line.count('\n'), 1);
        QVERIFY(line.contains("Tentados: en. Bundle informa: en."));
        QCOMPARE(L10n::t("common.cancel"), QStringLiteral("common.cancel"));

        ResourceBundle::setPathForTesting(
            makeBundle(QStringLiteral("mixed"), {{QStringLiteral("pt-BR.lproj"), QStringLiteral("garbage")},
                                                 {QStringLiteral("pt-br.lproj"), QStringLiteral("pt-BR")}}));
        QCOMPARE(captureStandardError([&] { refreshWith({}); }), QByteArray());
        QCOMPARE(L10n::t("common.cancel"), QStringLiteral("Cancelar"));
    }

    void textsAndArguments() {
        refreshWith({QStringLiteral("pt-BR")});
        QCOMPARE(L10n::t("no.such.key"), QStringLiteral("no.such.key"));
        QCOMPARE(L10n::tf("no.such.key", 3), QStringLiteral("no.such.key"));
        // Without arguments the text is not a format: its "%" signs stay.
        QCOMPARE(L10n::t("slotpanel.free.value"), QStringLiteral("%1% de %2"));
        QCOMPARE(L10n::tf("slotpanel.free.value", 42, "2 TB"), QStringLiteral("42% de 2 TB"));
        // One pass: an argument that looks like a placeholder is not substituted again.
        QCOMPARE(L10n::t("appstate.space.line", {QStringLiteral("Disco %2"), QStringLiteral("5 GB")}),
                 QStringLiteral("• Disco %2: 5 GB livres"));
        // Texts the caller appends directly keep their leading separator.
        QCOMPARE(L10n::tf("filebrowser.footer.selected", "A001.mov"),
                 QStringLiteral(" · “A001.mov” selecionado"));
        QCOMPARE(L10n::tf("centercolumn.integrity.algo", 1.5), QStringLiteral("algoritmo: 1,5"));
        QCOMPARE(L10n::tf("centercolumn.integrity.algo", std::size_t{1234567}),
                 QStringLiteral("algoritmo: 1.234.567"));
        QCOMPARE(L10n::number(1234.5, 1), QStringLiteral("1.234,5"));

        refreshWith({QStringLiteral("en-US")});
        QCOMPARE(L10n::tf("centercolumn.integrity.algo", 1.5), QStringLiteral("algorithm: 1.5"));
        QCOMPARE(L10n::tf("centercolumn.integrity.algo", 1234567), QStringLiteral("algorithm: 1,234,567"));
        QCOMPARE(L10n::tf("report.summary_line", "a", "b", "c", "d", "e"),
                 QStringLiteral("a · b · c · d — e"));
    }

    void pluralsFollowEachLanguagesRules() {
        refreshWith({QStringLiteral("pt-BR")});
        QCOMPARE(L10n::plural("files_count", 1), QStringLiteral("1 arquivo"));
        QCOMPARE(L10n::plural("errors_count", 0), QStringLiteral("0 erros"));
        QCOMPARE(L10n::plural("errors_count", 5'000'000'000), QStringLiteral("5.000.000.000 erros"));
        QCOMPARE(L10n::plural("no_such_count", 2), QStringLiteral("no_such_count"));

        refreshWith({QStringLiteral("en")});
        QCOMPARE(L10n::plural("files_count", 1), QStringLiteral("1 file"));
        QCOMPARE(L10n::plural("files_count", 0), QStringLiteral("0 files"));
        QCOMPARE(L10n::plural("items_count", 12345), QStringLiteral("12,345 items"));
        // A plural phrase as an argument of another text.
        QCOMPARE(L10n::t("transfers.done", {L10n::plural("files_count", 3)}),
                 QStringLiteral("Verified · 3 files"));
    }
};

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsSet("STOWLINE_TEST_BUNDLE_PROBE")) {
        std::printf("%s\n", qPrintable(ResourceBundle::path()));
        return 0;
    }
    QCoreApplication app(argc, argv);
    LocalizationTest test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "LocalizationTest.moc"
