// The centre column over a real application state: the start button's enabled state, and
// the three alerts with their texts and the operations their buttons call.
#include "PanelTestSupport.h"

#include "kit/Buttons.h"
#include "settings/L10n.h"
#include "settings/Localization.h"
#include "settings/ResourceBundle.h"
#include "ui/panels/CentreColumn.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

using Phase = TransferJob::Phase;

class CentreColumnTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { ResourceBundle::setPathForTesting(QStringLiteral(STOWLINE_BUNDLE_DIR)); }

    void init() {
        Localization::setOverride(stowline::SupportedLanguage::en);
        bench = std::make_unique<JobTestBench>();
        QVERIFY(bench->dir.isValid());
        root = bench->root;
    }
    void cleanup() { bench.reset(); }

    // Needs a pending source and a destination; the summary line follows the state.
    void startButtonFollowsPendingSourcesAndDestinations() {
        writeFile(root + "/A001/a.mov", 3000);
        QDir().mkpath(root + "/drive");
        AppState state;
        CentreColumn column(state);
        column.show();
        QVERIFY(!column.startButton()->isEnabled());
        QVERIFY(addSources(state, {fileUrl(root + "/A001")}));
        QVERIFY(!column.startButton()->isEnabled());
        QCOMPARE(column.pendingSummary(), QString());
        QVERIFY(addDestinations(state, {fileUrl(root + "/drive")}));
        QVERIFY(column.startButton()->isEnabled());
        QTRY_VERIFY(allSourcesScanned(state));
        QVERIFY(!column.pendingSummary().isEmpty());
        QCOMPARE(column.pendingSummary(), state.pendingSummaryLabel());
        state.removeDestination(state.destinations().front().id);
        QVERIFY(!column.startButton()->isEnabled());
        QCOMPARE(column.pendingSummary(), QString());
    }

    // Too little room: the warning in both languages; cancel and any other close start
    // nothing, confirm starts the job.
    void spaceWarningAnswers() {
        writeFile(root + "/A001/a.mov", 3000);
        AppState::Services services;
        services.freeSpace = [](const QUrl&) { return qint64{10}; };
        AppState state(services);
        CentreColumn column(state);
        column.show();
        QVERIFY(stage(state, root, {"/A001"}, {"/drive"}));

        for (const auto language : {stowline::SupportedLanguage::ptBR, stowline::SupportedLanguage::en}) {
            Localization::setOverride(language);
            QTest::mouseClick(column.startButton(), Qt::LeftButton);
            QVERIFY(!column.startButton()->isEnabled()); // while the drives are asked: no second start
            QVERIFY(settle(state));
            QMessageBox* box = alert(QStringLiteral("spaceWarningAlert"));
            QVERIFY(box);
            QCOMPARE(box->text(), L10n::t("centercolumn.spacewarning.title"));
            QCOMPARE(box->informativeText(), state.spaceWarning()->message);
            QStringList expected{L10n::t("centercolumn.spacewarning.confirm"), L10n::t("common.cancel")};
            expected.sort();
            QCOMPARE(buttonTexts(box), expected);
            QCOMPARE(box->buttonRole(button(box, L10n::t("centercolumn.spacewarning.confirm"))),
                     QMessageBox::DestructiveRole);
            button(box, L10n::t("common.cancel"))->click();
            QVERIFY(!state.hasSpaceWarning());
            QVERIFY(!alert(QStringLiteral("spaceWarningAlert")));
            QVERIFY(state.jobs().isEmpty());
            QCOMPARE(state.pendingSources().size(), 1);
        }
        QCOMPARE(L10n::t("common.cancel"), QStringLiteral("Cancel"));

        // Closed some other way: cleared, nothing started.
        QTest::mouseClick(column.startButton(), Qt::LeftButton);
        QVERIFY(settle(state));
        QMessageBox* box = alert(QStringLiteral("spaceWarningAlert"));
        QVERIFY(box);
        box->close();
        QVERIFY(!state.hasSpaceWarning());
        QVERIFY(state.jobs().isEmpty());

        // Cleared by the state itself: the alert goes without an answer.
        QTest::mouseClick(column.startButton(), Qt::LeftButton);
        QVERIFY(settle(state));
        QVERIFY(alert(QStringLiteral("spaceWarningAlert")));
        state.clearSpaceWarning();
        QVERIFY(!alert(QStringLiteral("spaceWarningAlert")));

        QTest::mouseClick(column.startButton(), Qt::LeftButton);
        QVERIFY(settle(state));
        box = alert(QStringLiteral("spaceWarningAlert"));
        QVERIFY(box);
        button(box, L10n::t("centercolumn.spacewarning.confirm"))->click();
        QVERIFY(!state.hasSpaceWarning());
        QVERIFY(settle(state));
        QCOMPARE(state.jobs().size(), 1);
        QVERIFY(!column.startButton()->isEnabled()); // the source is on its way
        QTRY_VERIFY_WITH_TIMEOUT(!state.hasActiveJobs(), 30000);
    }

    // A paused job blocks a same-named card to the same drive (start error, OK clears it);
    // the disk-full question names the drive by its last component and resumes the job.
    void startErrorAndDiskFullResume() {
        writeFile(root + "/cards1/A001/a.mov", 4000);
        writeFile(root + "/cards2/A001/b.mov", 4000);
        QDir().mkpath(root + "/Shuttle 01");
        auto room = std::make_shared<std::atomic<std::int64_t>>(100);
        AppState::Services services;
        services.engineOptions.capacity = roomAt({root + "/Shuttle 01"}, room);
        AppState state(services);
        CentreColumn column(state);
        column.show();
        QVERIFY(stage(state, root, {"/cards1/A001"}, {"/Shuttle 01"}));
        QTest::mouseClick(column.startButton(), Qt::LeftButton);
        QVERIFY(settle(state));
        QCOMPARE(state.jobs().size(), 1);

        QTRY_VERIFY_WITH_TIMEOUT(alert(QStringLiteral("diskFullAlert")), 30000);
        QMessageBox* full = alert(QStringLiteral("diskFullAlert"));
        QCOMPARE(full->text(), L10n::tf("centercolumn.diskfull.title", "Shuttle 01"));
        QCOMPARE(full->informativeText(),
                 L10n::tf("centercolumn.diskfull.message", byteText(4000), byteText(100)));
        QCOMPARE(full->buttonRole(button(full, L10n::t("centercolumn.diskfull.cancel"))),
                 QMessageBox::DestructiveRole);
        QVERIFY(!column.startButton()->isEnabled());

        QVERIFY(addSources(state, {fileUrl(root + "/cards2/A001")}));
        QTRY_VERIFY(allSourcesScanned(state));
        QVERIFY(column.startButton()->isEnabled());
        QTest::mouseClick(column.startButton(), Qt::LeftButton);
        QVERIFY(settle(state));
        QMessageBox* error = alert(QStringLiteral("startErrorAlert"));
        QVERIFY(error);
        QCOMPARE(error->text(), L10n::t("centercolumn.starterror.title"));
        QCOMPARE(error->informativeText(), L10n::t("appstate.collision_error"));
        QCOMPARE(buttonTexts(error), QStringList{L10n::t("common.ok")});
        button(error, L10n::t("common.ok"))->click();
        QVERIFY(!state.hasStartError());
        QCOMPARE(state.jobs().size(), 1);
        QVERIFY(state.hasDiskFullAlert()); // the other question is untouched

        room->store(1'000'000'000);
        button(full, L10n::t("centercolumn.diskfull.resume"))->click();
        QVERIFY(!state.hasDiskFullAlert());
        QTRY_VERIFY_WITH_TIMEOUT(!state.hasActiveJobs(), 30000);
        QCOMPARE(state.jobs().front()->phase(), Phase::done);
        QVERIFY(QFile::exists(root + "/Shuttle 01/A001/a.mov"));
    }

private:
    std::unique_ptr<JobTestBench> bench;
    QString root;
};

QTEST_MAIN(CentreColumnTest)
#include "CentreColumnTest.moc"
