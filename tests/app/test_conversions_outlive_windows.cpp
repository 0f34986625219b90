// A file being converted to PDF belongs to the application: its document opens whatever windows close
// meanwhile, and quitting during the conversion stops it without asking and leaves no temporary files.
#include "ExternalTool.h"
#include "LandingTestSupport.h"
#include "ShellFixture.h"
#include "app/DocumentWindow.h"

#include <QDir>
#include <QFileInfo>
#include <QPointer>
#include <QProgressDialog>
#include <QTest>

using namespace zepla;

namespace {

// Everything in the temporary folder, which this test has to itself.
QStringList temporaryEntries() {
    return QDir::temp().entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

// The progress window of a conversion, wherever it is.
QProgressDialog* conversionProgress() {
    for (QWidget* widget : QApplication::allWidgets())
        if (auto* progress = qobject_cast<QProgressDialog*>(widget);
            progress && progress->windowTitle() == "Converting")
            return progress;
    return nullptr;
}

} // namespace

class TestConversionsOutliveWindows : public QObject {
    Q_OBJECT

    QTemporaryDir m_files;
    QTemporaryDir m_temporary;
    QString m_docx;

private slots:
    void initTestCase() {
        usePrivatePreferences();
        qputenv("TMPDIR", m_temporary.path().toLocal8Bit());
        const QString text =
            writeTestBytes(m_files.filePath("letter.txt"), "Dear reader,\nthis letter became a Word file.\n");
        m_docx = convertWithOffice(text, "docx", m_files.path());
    }
    void cleanup() { closeAlerts(); }

    void convertedDocumentOpensWhenTheLandingCloses_data() {
        QTest::addColumn<bool>("oneLaunch");
        QTest::newRow("a PDF opened from the landing window meanwhile") << false;
        QTest::newRow("both files in one launch") << true;
    }
    void convertedDocumentOpensWhenTheLandingCloses() {
        QFETCH(bool, oneLaunch);
        ShellFixture shell;
        const QString pdf = shell.write("other.pdf");
        if (oneLaunch) {
            shell.app->launch({m_docx, pdf});
        } else {
            shell.app->launch({});
            QTRY_VERIFY(shell.delegate().welcomeWindow() && shell.delegate().welcomeWindow()->isVisible());
            QPointer<QWidget> landing = shell.delegate().welcomeWindow();
            shell.delegate().openFiles({m_docx});
            QVERIFY(conversionProgress());
            shell.delegate().openFiles({pdf});
            // The PDF's window takes over and the landing window is gone, while LibreOffice still runs.
            QTRY_VERIFY(landing.isNull());
            QVERIFY(shell.controller().documentFor(pdf));
            QVERIFY2(conversionProgress(), "the conversion went with the landing window");
        }
        QTRY_COMPARE_WITH_TIMEOUT(shell.controller().documents().size(), 2, 180000);
        QStringList names;
        for (const app::DocumentWindow* window : shell.controller().documents())
            names << QFileInfo(window->filePath()).fileName();
        names.sort();
        QCOMPARE(names, (QStringList{"letter.pdf", "other.pdf"}));
        QVERIFY(visibleAlerts().isEmpty());
        QVERIFY(!conversionProgress());
        QVERIFY(!shell.controller().isTerminating());
    }

    void quittingMidConversionAsksNothingAndLeavesNoTemporaryFiles_data() {
        QTest::addColumn<bool>("fromProgressWindow");
        QTest::newRow("Quit") << false;
        QTest::newRow("Ctrl+Q in the progress window") << true;
    }
    void quittingMidConversionAsksNothingAndLeavesNoTemporaryFiles() {
        QFETCH(bool, fromProgressWindow);
        ShellFixture shell;
        shell.app->launch({});
        const QStringList before = temporaryEntries();
        shell.delegate().openFiles({m_docx});
        // LibreOffice is at work once its private profile fills.
        QTRY_VERIFY_WITH_TIMEOUT(
            [&] {
                for (const QString& entry : temporaryEntries())
                    if (entry.startsWith("zepla-office-profile") &&
                        !QDir(QDir::temp().filePath(entry + "/user")).isEmpty())
                        return true;
                return false;
            }(),
            60000);
        QVERIFY(!temporaryEntries().isEmpty());
        if (fromProgressWindow) {
            QTRY_VERIFY(conversionProgress() && conversionProgress()->isVisible());
            QProgressDialog* progress = conversionProgress();
            progress->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(progress));
            QTest::keyClick(progress, Qt::Key_Q, Qt::ControlModifier);
            QVERIFY(shell.controller().isTerminating());
        } else {
            shell.controller().terminate();
        }
        QVERIFY(visibleAlerts().isEmpty());
        QCOMPARE(temporaryEntries(), before);
        QVERIFY(!conversionProgress());
        QTest::qWait(200);
        QVERIFY(shell.controller().documents().isEmpty());
        QCOMPARE(temporaryEntries(), before);
    }
};

QTEST_MAIN(TestConversionsOutliveWindows)
#include "test_conversions_outlive_windows.moc"
