#include "settings/ReportStrings.h"
#include "settings/FailureText.h"
#include "settings/Localization.h"
#include "settings/Preferences.h"
#include "settings/ResourceBundle.h"

#include "stowline/TextReport.h"

#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <cstring>

using stowline::SupportedLanguage;

class ReportStringsTest : public QObject {
    Q_OBJECT

    QTemporaryDir home;

private slots:
    void initTestCase() {
        QVERIFY(home.isValid());
        qputenv("XDG_CONFIG_HOME", home.path().toUtf8());
        ResourceBundle::setPathForTesting(QStringLiteral(STOWLINE_BUNDLE_DIR));
        Localization::setPreferredLanguagesForTesting(QStringList{QStringLiteral("en-US")});
    }

    // A command line choice is for this process only: the stored choice stays as the user
    // left it, and is what the next read of the store gives.
    void languageForThisProcessIsNotStored() {
        Localization::setOverride(SupportedLanguage::ptBR);
        Localization::setOverrideForThisProcess(SupportedLanguage::en);
        QCOMPARE(Localization::current(), SupportedLanguage::en);
        QSettings onDisk(QSettings::IniFormat, QSettings::UserScope, "Stowline", "Stowline");
        QCOMPARE(onDisk.value(QStringLiteral("appLanguageOverride")).toString(), QStringLiteral("pt-BR"));

        Localization::setOverrideForThisProcess(std::nullopt); // the environment decides
        QCOMPARE(Localization::current(), SupportedLanguage::en);
        QVERIFY(Preferences::store().contains(QStringLiteral("appLanguageOverride")));

        Localization::reloadOverrideForTesting();
        Localization::refresh();
        QCOMPARE(Localization::current(), SupportedLanguage::ptBR);
    }

    // Every word comes from the catalog (a missing or misspelt key would come back as
    // itself), in the active language.
    void wordsFollowTheActiveLanguage() {
        Localization::setOverrideForThisProcess(SupportedLanguage::ptBR);
        const stowline::TextReportStrings pt = ReportStrings::current();
        for (const std::string* word :
             {&pt.title, &pt.date, &pt.duration, &pt.averageSpeed, &pt.source, &pt.destination,
              &pt.errorsHeader, &pt.alreadyExisted, &pt.verdictIntact, &pt.verdictErrors, &pt.summary,
              &pt.cancelled, &pt.errorNoDestinationAvailable, &pt.errorNoDestinationForFile,
              &pt.errorRejectedDestinations, &pt.errorHashMismatch, &pt.errorCopyFailed, &pt.errorUnknown}) {
            QVERIFY2(!word->empty() && word->find("report.") != 0, word->c_str());
        }
        QCOMPARE(pt.source, std::string("Origem"));
        QCOMPARE(pt.filesCount(2), std::string("2 arquivos"));
        QCOMPARE(pt.verifiedCount(1), std::string("1 verificado"));
        QCOMPARE(pt.errorsCount(1'000), std::string("1.000 erros"));

        Localization::setOverrideForThisProcess(SupportedLanguage::en);
        const stowline::TextReportStrings en = ReportStrings::current();
        QCOMPARE(en.source, std::string("Source"));
        QCOMPARE(en.summary, pt.summary);
        QCOMPARE(en.errorsCount(1), std::string("1 error"));
        QCOMPARE(en.filesCount(1'000), std::string("1,000 files"));
    }

    // A copy failure in the chosen language with the system's reason: the catalog's words for
    // common errors, the system's own text for the rest; the same words in the report.
    void failuresAreWordedInTheChosenLanguageWithTheirCause() {
        using stowline::FailureCause;
        using stowline::FailureStep;
        struct Case {
            SupportedLanguage language;
            FailureCause cause;
            QString words;
        };
        const QList<Case> cases{
            {SupportedLanguage::ptBR,
             {FailureStep::writeCopy, EACCES, "/D/a.mov"},
             QStringLiteral("não foi possível gravar /D/a.mov: permissão negada")},
            {SupportedLanguage::en,
             {FailureStep::writeCopy, EACCES, "/D/a.mov"},
             QStringLiteral("cannot write /D/a.mov: permission denied")},
            {SupportedLanguage::ptBR,
             {FailureStep::readSource, EIO, "/card/b.mov"},
             QStringLiteral(
                 "não foi possível ler /card/b.mov: erro de entrada/saída (o disco ou cartão pode estar "
                 "falhando)")},
            {SupportedLanguage::en,
             {FailureStep::nameCopy, EXDEV, "/D/c.mov"},
             QStringLiteral("cannot give /D/c.mov its final name: ") +
                 QString::fromLocal8Bit(std::strerror(EXDEV))},
            {SupportedLanguage::ptBR,
             {FailureStep::sourceChanged, 0, "/card/d.mov"},
             QStringLiteral("a origem mudou enquanto era lida: /card/d.mov")},
            {SupportedLanguage::en,
             {FailureStep::createCopy, 0, "/D/e.tmp"},
             QStringLiteral("cannot create /D/e.tmp: the system gave no reason")},
        };
        for (const Case& c : cases) {
            Localization::setOverrideForThisProcess(c.language);
            QCOMPARE(FailureText::cause(c.cause), c.words);
        }
        // Every errno the engine names has words in both languages.
        for (const auto language : {SupportedLanguage::ptBR, SupportedLanguage::en}) {
            Localization::setOverrideForThisProcess(language);
            for (int number = 1; number < 200; ++number) {
                if (const auto name = stowline::errnoName(number)) {
                    QVERIFY2(!FailureText::systemReason(number).startsWith(QStringLiteral("errno.")),
                             std::string(*name).c_str());
                }
            }
        }
        Localization::setOverrideForThisProcess(SupportedLanguage::ptBR);
        const auto report = ReportStrings::current();
        const auto reason = stowline::FileErrorReason::copyFailed("Permission denied", cases[0].cause);
        QCOMPARE(QString::fromStdString(stowline::TextReport::errorText(reason, report)),
                 QStringLiteral("falha na cópia: não foi possível gravar /D/a.mov: permissão negada"));
    }

    void labelNamesTheJob() {
        Localization::setOverrideForThisProcess(SupportedLanguage::en);
        using Paths = std::vector<std::filesystem::path>;
        QCOMPARE(ReportStrings::sourcesLabel(Paths{"/media/cards/ A001 Cartão "}),
                 QStringLiteral("A001 Cartão"));
        QCOMPARE(ReportStrings::sourcesLabel(Paths{"cards/A001//"}), QStringLiteral("A001"));
        QCOMPARE(ReportStrings::sourcesLabel(Paths{"A001"}), QStringLiteral("A001"));
        QCOMPARE(ReportStrings::sourcesLabel(Paths{"/"}), QStringLiteral("/"));
        QCOMPARE(ReportStrings::sourcesLabel(Paths{"/a", "/b"}), QStringLiteral("2 items"));
        QCOMPARE(ReportStrings::sourcesLabel(Paths{}), QStringLiteral("0 items"));
        Localization::setOverrideForThisProcess(SupportedLanguage::ptBR);
        QCOMPARE(ReportStrings::sourcesLabel(Paths{"/a", "/b", "/c"}), QStringLiteral("3 itens"));
    }
};

QTEST_GUILESS_MAIN(ReportStringsTest)
#include "ReportStringsTest.moc"
