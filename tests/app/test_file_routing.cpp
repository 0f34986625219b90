// Files handed to the application go by the lower-cased extension: PDFs to document windows, convertible
// files to the importer, everything else to the preview; the last two say they are not available yet.
#include "LandingTestSupport.h"
#include "ShellFixture.h"
#include "app/DocumentWindow.h"

#include <QTest>

using namespace zepla;

class TestFileRouting : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { usePrivatePreferences(); }
    void cleanup() { closeAlerts(); }

    void routesByExtension_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("road");
        QTest::newRow("PDF in capitals") << "REPORT.PDF"
                                         << "document";
        QTest::newRow("pdf") << "paper.pdf"
                             << "document";
        QTest::newRow("markdown") << "notes.md"
                                  << "import";
        QTest::newRow("Word") << "letter.DOCX"
                              << "import";
        QTest::newRow("keynote") << "talk.key"
                                 << "preview";
        QTest::newRow("unknown") << "data.xyz"
                                 << "preview";
        QTest::newRow("no extension") << "README"
                                      << "preview";
    }
    void routesByExtension() {
        QFETCH(QString, name);
        QFETCH(QString, road);
        ShellFixture shell;
        const QString path = shell.write(name);
        shell.delegate().openFiles({path});
        if (road == "document") {
            QTRY_COMPARE(shell.controller().documents().size(), 1);
            QCOMPARE(shell.controller().documents().first()->filePath(), path);
            QVERIFY(visibleAlerts().isEmpty());
            return;
        }
        QTRY_COMPARE(visibleAlerts().size(), 1);
        QMessageBox* alert = visibleAlerts().first();
        QVERIFY(alert->text().contains(name));
        QVERIFY(alert->informativeText().contains(road == "import" ? "Converting" : "Previewing"));
        QVERIFY(shell.controller().documents().isEmpty());
    }

    void emptyListOpensNothing() {
        ShellFixture shell;
        shell.delegate().openFiles({});
        QTest::qWait(20);
        QVERIFY(shell.controller().documents().isEmpty());
        QVERIFY(visibleAlerts().isEmpty());
    }
};

QTEST_MAIN(TestFileRouting)
#include "test_file_routing.moc"
