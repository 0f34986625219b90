// Files handed to the application go by the lower-cased extension: PDFs to document windows, convertible
// files through the importer into document windows of their PDF, everything else to a preview window.
#include "LandingTestSupport.h"
#include "ShellFixture.h"
#include "app/DocumentWindow.h"
#include "ui/assistant/AssistantPanel.h"
#include "ui/preview/PreviewContentView.h"
#include "ui/preview/PreviewWindowController.h"
#include "ui/settings/SettingsView.h"
#include "ui/theme/ToolbarLabeledButton.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QMainWindow>
#include <QTest>
#include <QToolButton>

using namespace zepla;

class TestFileRouting : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { usePrivatePreferences(); }
    void cleanup() {
        closeAlerts();
        for (ui::PreviewWindowController* preview : ui::PreviewWindowController::openControllers())
            preview->window()->close();
    }

    void routesByExtension_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("road");
        QTest::newRow("PDF in capitals") << "REPORT.PDF"
                                         << "document";
        QTest::newRow("pdf") << "paper.pdf"
                             << "document";
        QTest::newRow("markdown in capitals") << "notes.MD"
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
        const QString path = road == "import" ? shell.write(name, "# Notes\n") : shell.write(name);
        shell.delegate().openFiles({path});
        if (road == "document") {
            QTRY_COMPARE(shell.controller().documents().size(), 1);
            QCOMPARE(shell.controller().documents().first()->filePath(), path);
            QVERIFY(visibleAlerts().isEmpty());
            return;
        }
        if (road == "import") {
            QTRY_COMPARE_WITH_TIMEOUT(shell.controller().documents().size(), 1, testsupport::hangGuardMs);
            const QString pdf = shell.controller().documents().first()->filePath();
            QCOMPARE(QFileInfo(pdf).fileName(), QFileInfo(name).completeBaseName() + ".pdf");
            QVERIFY(pdf.startsWith(QDir::tempPath()));
            QVERIFY(visibleAlerts().isEmpty());
            return;
        }
        QCOMPARE(ui::PreviewWindowController::openControllers().size(), 1);
        QCOMPARE(ui::PreviewWindowController::openControllers().first()->window()->windowTitle(), name);
        QVERIFY(shell.controller().documents().isEmpty());
        QVERIFY(visibleAlerts().isEmpty());
    }

    // A preview window has the application's menus and shortcuts: Ctrl+, and the assistant panel's settings
    // button open the settings window, Ctrl+W closes the window, Ctrl+Q is there to quit.
    void previewWindowsTakeTheApplicationsCommands() {
        ShellFixture shell;
        // A presentation LibreOffice cannot read still gets its assistant, over the fixed message.
        shell.delegate().openFiles({shell.write("talk.key", QByteArray(3000, '\x07'))});
        QCOMPARE(ui::PreviewWindowController::openControllers().size(), 1);
        ui::PreviewWindowController* preview = ui::PreviewWindowController::openControllers().first();
        QMainWindow* window = preview->window();
        QVERIFY(QTest::qWaitForWindowActive(window));
        const auto shortcutOf = [window](const QString& text) {
            for (QAction* action : window->findChildren<QAction*>())
                if (action->text() == text)
                    return action->shortcut();
            return QKeySequence();
        };
        QCOMPARE(shortcutOf("Quit"), QKeySequence("Ctrl+Q"));

        // The settings window closes for good (it is made anew each time it opens).
        const auto settingsShown = [] {
            for (QWidget* top : QApplication::topLevelWidgets())
                if (qobject_cast<ui::SettingsView*>(top) && top->isVisible())
                    return qobject_cast<ui::SettingsView*>(top);
            return static_cast<ui::SettingsView*>(nullptr);
        };
        QVERIFY(!settingsShown());
        QTest::keyClick(window, Qt::Key_Comma, Qt::ControlModifier);
        QTRY_VERIFY(settingsShown());
        settingsShown()->close();

        QTRY_VERIFY_WITH_TIMEOUT(preview->content()->isTextReady(), testsupport::longWorkGuardMs);
        QTest::mouseClick(preview->content()->askButton(), Qt::LeftButton);
        auto* panel = window->findChild<ui::AssistantPanel*>();
        QVERIFY(panel);
        QTRY_VERIFY(panel->isVisible() &&
                    panel->visibleRegion().boundingRect().width() == ui::PreviewContentView::assistantWidth);
        QTest::mouseClick(panel->headerButton("AI Assistant Settings…"), Qt::LeftButton);
        QTRY_VERIFY(settingsShown());
        settingsShown()->close();

        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window));
        QTest::keyClick(window, Qt::Key_W, Qt::ControlModifier);
        QTRY_VERIFY(ui::PreviewWindowController::openControllers().isEmpty());
    }

    void failedConversionNamesTheFile_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("reason");
        QTest::newRow("invalid UTF-8")
            << "latin1.txt" << QByteArray("caf\xe9\n") << "The file is not valid UTF-8 text.";
        QTest::newRow("garbage Word file")
            << "garbage.docx" << QByteArray(5000, 'x') << "LibreOffice could not read this file.";
    }
    void failedConversionNamesTheFile() {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, reason);
        ShellFixture shell;
        shell.delegate().openFiles({shell.write(name, bytes)});
        QTRY_COMPARE_WITH_TIMEOUT(visibleAlerts().size(), 1, testsupport::longWorkGuardMs);
        QMessageBox* alert = visibleAlerts().first();
        QCOMPARE(alert->text(), QString("Couldn't Open “%1”").arg(name));
        QCOMPARE(alert->informativeText(), "This file couldn't be converted to a PDF. " + reason);
        QVERIFY(alert->detailedText().isEmpty());
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
