#include "settings/Preferences.h"
#include "settings/Appearance.h"
#include "settings/Localization.h"
#include "settings/ReportSettings.h"
#include "settings/ResourceBundle.h"
#include "settings/ThemeMode.h"
#include "settings/UpdateSettings.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <memory>

namespace {

const char* const childRole = "STOWLINE_PREFERENCES_CHILD";

// The store's file under a given config folder, as a second process would find it.
QString storeFile(const QString& configHome) {
    return QDir(configHome).filePath("Stowline/Stowline.ini");
}

// A child process of this same program: "read" prints what the caches load, "write"
// changes every preference the way the settings sheet does.
int runChild(const QByteArray& role) {
    if (role == "write") {
        Appearance appearance;
        appearance.set(true);
        appearance.toggleMHL();
        appearance.togglePDF();
        UpdateSettings::setChecksAutomatically(false);
        return 0;
    }
    std::printf("light=%d mhl=%d text=%d pdf=%d updates=%d\n", ThemeMode::isLight() ? 1 : 0,
                ReportSettings::writesMHL() ? 1 : 0, ReportSettings::writesText() ? 1 : 0,
                ReportSettings::writesPDF() ? 1 : 0, UpdateSettings::checksAutomatically() ? 1 : 0);
    return 0;
}

QString runChildWith(const QString& configHome, const char* role) {
    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), configHome);
    environment.insert(QString::fromLatin1(childRole), QString::fromLatin1(role));
    child.setProcessEnvironment(environment);
    child.start(QCoreApplication::applicationFilePath(), {});
    if (!child.waitForFinished(30000) || child.exitCode() != 0) {
        return QStringLiteral("child failed: ") + QString::fromLocal8Bit(child.readAllStandardError());
    }
    return QString::fromLatin1(child.readAllStandardOutput()).trimmed();
}

void writeStore(const QString& configHome, const QByteArray& text) {
    QDir().mkpath(QFileInfo(storeFile(configHome)).path());
    QFile file(storeFile(configHome));
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        file.write(text);
    }
}

QVariant storedValue(const QString& key) {
    QSettings reader(storeFile(qEnvironmentVariable("XDG_CONFIG_HOME")), QSettings::IniFormat);
    return reader.value(key);
}

} // namespace

class PreferencesTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        QVERIFY(bundle_.isValid());
        // An empty bundle: the language still resolves, only without a catalog.
        ResourceBundle::setPathForTesting(bundle_.path());
        Localization::setPreferredLanguagesForTesting(QStringList{QStringLiteral("pt-BR")});
    }

    void whatAStartLoads_data() {
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<QString>("loaded");
        QTest::newRow("fresh install") << QByteArray() << "light=0 mhl=1 text=1 pdf=0 updates=1";
        QTest::newRow("stored values turn each over")
            << QByteArray("[General]\nappearanceIsLight=true\nreportWritesMHL=false\nreportWritesText=false\n"
                          "reportWritesPDF=true\nupdateChecksAutomatically=false\n")
            << "light=1 mhl=0 text=0 pdf=1 updates=0";
        // Text that is not a boolean: each key keeps its default (the PDF report off).
        QTest::newRow("other text") << QByteArray("[General]\nappearanceIsLight=yes\nreportWritesMHL=off\n"
                                                  "reportWritesText=0\nreportWritesPDF=1\n"
                                                  "updateChecksAutomatically=\n")
                                    << "light=0 mhl=1 text=1 pdf=0 updates=1";
    }

    void whatAStartLoads() {
        QFETCH(QByteArray, stored);
        QFETCH(QString, loaded);
        QTemporaryDir home;
        QVERIFY(home.isValid());
        if (!stored.isEmpty()) {
            writeStore(home.path(), stored);
        }
        QCOMPARE(runChildWith(home.path(), "read"), loaded);
    }

    void writtenByOneProcessReadByTheNext() {
        QTemporaryDir home;
        QVERIFY(home.isValid());
        QCOMPARE(runChildWith(home.path(), "write"), QString());
        QCOMPARE(runChildWith(home.path(), "read"), QStringLiteral("light=1 mhl=0 text=1 pdf=1 updates=0"));
    }

    void appearanceWritesThroughBeforeItChanges() {
        Appearance appearance;
        QCOMPARE(appearance.isLight(), false);
        QSignalSpy light(&appearance, &Appearance::isLightChanged);
        // Each notification finds the store already holding the new value.
        QString storedWhenNotified;
        connect(&appearance, &Appearance::isLightChanged, this,
                [&] { storedWhenNotified = storedValue(QStringLiteral("appearanceIsLight")).toString(); });
        appearance.set(true);
        QCOMPARE(light.size(), 1);
        QCOMPARE(storedWhenNotified, QStringLiteral("true"));
        QVERIFY(ThemeMode::isLight());

        // Setting light again writes nothing: a value changed behind our back survives.
        {
            QSettings other(storeFile(qEnvironmentVariable("XDG_CONFIG_HOME")), QSettings::IniFormat);
            other.remove(QStringLiteral("appearanceIsLight"));
        }
        appearance.set(true);
        QCOMPARE(light.size(), 1);
        QVERIFY(!storedValue(QStringLiteral("appearanceIsLight")).isValid());

        QSignalSpy mhl(&appearance, &Appearance::writesMHLChanged);
        QSignalSpy text(&appearance, &Appearance::writesTextChanged);
        appearance.toggleMHL();
        QCOMPARE(appearance.writesMHL(), false);
        QCOMPARE(ReportSettings::writesMHL(), false);
        QCOMPARE(storedValue(QStringLiteral("reportWritesMHL")).toString(), QStringLiteral("false"));
        appearance.toggleText();
        QCOMPARE(mhl.size(), 1);
        QCOMPARE(text.size(), 1);
        QCOMPARE(ReportSettings::writesText(), false);
    }

    void choosingALanguageAndBackToTheSystem() {
        Appearance appearance;
        QCOMPARE(appearance.languageOverrideCode(), QString());
        QSignalSpy language(&appearance, &Appearance::languageChanged);
        QSignalSpy chosen(&appearance, &Appearance::languageOverrideChanged);

        appearance.chooseLanguage(stowline::SupportedLanguage::en);
        QCOMPARE(appearance.language(), stowline::SupportedLanguage::en);
        QCOMPARE(appearance.property("language").toString(), QStringLiteral("en"));
        QCOMPARE(appearance.property("languageOverride").toString(), QStringLiteral("en"));
        QCOMPARE(language.size(), 1);
        QCOMPARE(chosen.size(), 1);
        QCOMPARE(storedValue(QStringLiteral("appLanguageOverride")).toString(), QStringLiteral("en"));

        appearance.chooseLanguage(std::nullopt);
        QCOMPARE(appearance.languageOverride(), std::nullopt);
        QCOMPARE(appearance.language(), stowline::SupportedLanguage::ptBR);
        QCOMPARE(language.size(), 2);
        QCOMPARE(chosen.size(), 2);
        QVERIFY(!storedValue(QStringLiteral("appLanguageOverride")).isValid());
    }

private:
    QTemporaryDir bundle_;
};

int main(int argc, char** argv) {
    const QByteArray role = qgetenv(childRole);
    if (!role.isEmpty()) {
        QCoreApplication app(argc, argv);
        return runChild(role);
    }
    // This process's own store lives in a folder of its own, set before the store opens.
    QTemporaryDir configHome;
    if (!configHome.isValid()) {
        return 1;
    }
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(configHome.path()));
    QCoreApplication app(argc, argv);
    PreferencesTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "PreferencesTest.moc"
