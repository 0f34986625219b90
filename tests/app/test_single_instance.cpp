// One running instance: a later launch hands its files over and ends; a launch without files shows the
// running instance.
#include "PdfFixtures.h"
#include "app/SingleInstance.h"

#include <QFile>
#include <QProcess>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace zepla;

class TestSingleInstance : public QObject {
    Q_OBJECT

private slots:
    void filesReachTheListeningInstance() {
        QTemporaryDir dir;
        const QString name = dir.filePath("instance");
        app::SingleInstance running(name);
        QVERIFY(running.listen());
        QSignalSpy received(&running, &app::SingleInstance::filesReceived);

        app::SingleInstance later(name);
        QVERIFY(later.handOver({"/tmp/a.pdf", "/tmp/b é.pdf"}));
        QTRY_COMPARE(received.count(), 1);
        QCOMPARE(received.first().first().toStringList(), (QStringList{"/tmp/a.pdf", "/tmp/b é.pdf"}));

        QVERIFY(later.handOver({}));
        QTRY_COMPARE(received.count(), 2);
        QVERIFY(received.last().first().toStringList().isEmpty());
    }

    void withoutARunningInstanceNothingIsHandedOver() {
        QTemporaryDir dir;
        app::SingleInstance alone(dir.filePath("instance"));
        QVERIFY(!alone.handOver({"/tmp/a.pdf"}, 200));
        QVERIFY(alone.listen());
    }

    void socketLeftByACrashedInstanceIsReplaced() {
        QTemporaryDir dir;
        const QString name = dir.filePath("instance");
        QFile stale(name);
        QVERIFY(stale.open(QIODevice::WriteOnly));
        stale.close();
        app::SingleInstance instance(name);
        QVERIFY(!instance.handOver({}, 200));
        QVERIFY(instance.listen());
    }

    // Two real processes of the program, sharing a runtime folder and preferences folder of the test's own.
    void secondLaunchHandsItsFileToTheFirstAndEnds() {
        QTemporaryDir home;
        QFile::Permissions privateFolder = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner;
        QFile::setPermissions(home.path(), privateFolder);
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        environment.insert("XDG_RUNTIME_DIR", home.path());
        environment.insert("XDG_CONFIG_HOME", home.filePath("config"));
        environment.insert("XDG_DATA_HOME", home.filePath("data"));

        const QString pdf = home.filePath("handed over.pdf");
        QFile file(pdf);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(fixtures::makeTextPdf(1));
        file.close();

        QProcess first;
        first.setProcessEnvironment(environment);
        first.start(ZEPLA_PROGRAM, {});
        QVERIFY(first.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(home.filePath("zepla-instance")), testsupport::hangGuardMs);

        QProcess second;
        second.setProcessEnvironment(environment);
        second.start(ZEPLA_PROGRAM, {pdf});
        QVERIFY(second.waitForFinished(10000));
        QCOMPARE(second.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.exitCode(), 0);

        // The first instance opened the file: it is now at the head of its recent documents.
        const QString preferences = home.filePath("config/Zepla/Zepla.conf");
        const auto recent = [&] {
            return QSettings(preferences, QSettings::IniFormat).value("recentDocumentPaths").toStringList();
        };
        QTRY_COMPARE_WITH_TIMEOUT(recent(), QStringList{pdf}, testsupport::hangGuardMs);

        QProcess third;
        third.setProcessEnvironment(environment);
        third.start(ZEPLA_PROGRAM, {});
        QVERIFY(third.waitForFinished(10000));
        QCOMPARE(third.exitCode(), 0);
        QCOMPARE(first.state(), QProcess::Running);

        first.kill();
        first.waitForFinished();
    }
};

QTEST_GUILESS_MAIN(TestSingleInstance)
#include "test_single_instance.moc"
