// The menus of document and landing windows: their items and shortcuts, and Undo and Redo bound to the
// window's own undo history.
#include "LandingTestSupport.h"
#include "ShellFixture.h"
#include "app/DocumentWindow.h"
#include "app/WelcomeWindow.h"
#include "ui/assistant/AssistantPanel.h"
#include "ui/landing/RecentDocuments.h"
#include "ui/settings/SettingsView.h"
#include "ui/window/ContentView.h"
#include "ui/workspace/PDFEditorWorkspaceView.h"

#include <QMenuBar>
#include <QPointer>
#include <QTest>

using namespace zepla;

namespace {

QAction* item(QMainWindow* window, const QString& menuTitle, const QString& text) {
    for (QAction* menuAction : window->menuBar()->actions()) {
        if (menuAction->text().remove('&') != menuTitle)
            continue;
        for (QAction* action : menuAction->menu()->actions())
            if (action->text() == text || (action->menu() && action->menu()->title() == text))
                return action;
    }
    return nullptr;
}

} // namespace

class TestAppMenus : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { usePrivatePreferences(); }
    void cleanup() { closeAlerts(); }

    void itemsAndShortcuts_data() {
        QTest::addColumn<QString>("menu");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("shortcut");
        QTest::addColumn<bool>("enabled");
        QTest::newRow("new") << "File"
                             << "New"
                             << "Ctrl+N" << true;
        QTest::newRow("open") << "File"
                              << "Open…"
                              << "Ctrl+O" << true;
        QTest::newRow("open recent") << "File"
                                     << "Open Recent"
                                     << "" << true;
        QTest::newRow("close") << "File"
                               << "Close"
                               << "Ctrl+W" << true;
        QTest::newRow("save") << "File"
                              << "Save"
                              << "Ctrl+S" << true;
        QTest::newRow("save as") << "File"
                                 << "Save As…"
                                 << "Ctrl+Shift+S" << true;
        QTest::newRow("quit") << "File"
                              << "Quit"
                              << "Ctrl+Q" << true;
        QTest::newRow("undo") << "Edit"
                              << "Undo"
                              << "Ctrl+Z" << false;
        QTest::newRow("redo") << "Edit"
                              << "Redo"
                              << "Ctrl+Shift+Z" << false;
        QTest::newRow("settings") << "Edit"
                                  << "Settings…"
                                  << "Ctrl+," << true;
        QTest::newRow("sidebar") << "View"
                                 << "Toggle Sidebar"
                                 << "Ctrl+Alt+S" << false;
        QTest::newRow("assistant") << "View"
                                   << "Toggle Assistant"
                                   << "Ctrl+K" << false;
        QTest::newRow("about") << "Help"
                               << "About Zepla"
                               << "" << true;
        QTest::newRow("updates") << "Help"
                                 << "Check for Updates…"
                                 << "" << false;
    }
    void itemsAndShortcuts() {
        QFETCH(QString, menu);
        QFETCH(QString, text);
        QFETCH(QString, shortcut);
        QFETCH(bool, enabled);
        ShellFixture shell;
        app::DocumentWindow* window = shell.controller().newDocument();
        QAction* action = item(window, menu, text);
        QVERIFY(action);
        QCOMPARE(action->shortcut(), QKeySequence(shortcut));
        QCOMPARE(action->isEnabled(), enabled);
    }

    void toggleSidebarShowsAndHidesThePageSidebarOfAWorkspace() {
        ShellFixture shell;
        const QString path = shell.write("pages.pdf");
        shell.controller().openDocument(path);
        QTRY_VERIFY(shell.controller().documentFor(path));
        app::DocumentWindow* window = shell.controller().documentFor(path);
        auto* content = qobject_cast<ui::ContentView*>(window->centralWidget());
        QVERIFY(content && content->workspace());
        QAction* toggle = item(window, "View", "Toggle Sidebar");
        emit qobject_cast<QMenu*>(toggle->parent())->aboutToShow();
        QVERIFY(toggle->isEnabled());
        toggle->trigger();
        QVERIFY(!content->workspace()->showThumbnails());
        toggle->trigger();
        QVERIFY(content->workspace()->showThumbnails());
    }

    void toggleAssistantShowsAndHidesTheAssistantPanelOfAWorkspace() {
        ShellFixture shell;
        const QString path = shell.write("heron.pdf");
        shell.controller().openDocument(path);
        QTRY_VERIFY(shell.controller().documentFor(path));
        app::DocumentWindow* window = shell.controller().documentFor(path);
        auto* content = qobject_cast<ui::ContentView*>(window->centralWidget());
        QVERIFY(content && content->workspace());
        QAction* toggle = item(window, "View", "Toggle Assistant");
        emit qobject_cast<QMenu*>(toggle->parent())->aboutToShow();
        QVERIFY(toggle->isEnabled());
        toggle->trigger();
        QVERIFY(content->workspace()->showAssistant());
        QVERIFY(qobject_cast<ui::AssistantPanel*>(content->workspace()->assistantPanel()));
        toggle->trigger();
        QVERIFY(!content->workspace()->showAssistant());
    }

    void undoAndRedoWorkOnTheWindowsOwnHistory() {
        ShellFixture shell;
        app::DocumentWindow* first = shell.controller().newDocument();
        app::DocumentWindow* second = shell.controller().newDocument();
        int value = 0;
        std::function<void(int)> set = [&](int next) {
            const int before = value;
            value = next;
            first->undoManager().registerUndo(first, [&, before] { set(before); });
        };
        set(1);
        QTRY_VERIFY(item(first, "Edit", "Undo")->isEnabled());
        QVERIFY(!item(second, "Edit", "Undo")->isEnabled());
        item(first, "Edit", "Undo")->trigger();
        QCOMPARE(value, 0);
        QVERIFY(item(first, "Edit", "Redo")->isEnabled());
        item(first, "Edit", "Redo")->trigger();
        QCOMPARE(value, 1);
    }

    void landingWindowHasNoDocumentCommands() {
        ShellFixture shell;
        shell.app->launch({});
        QTRY_VERIFY(shell.delegate().welcomeWindow());
        app::WelcomeWindow* landing = shell.delegate().welcomeWindow();
        for (const char* text : {"Save", "Save As…"})
            QVERIFY(!item(landing, "File", text)->isEnabled());
        QVERIFY(!item(landing, "Edit", "Undo")->isEnabled());
        QVERIFY(item(landing, "File", "New")->isEnabled());
    }

    // The settings window has no menu bar, yet takes the keys every window takes: Ctrl+W and Escape close
    // it, Ctrl+Q quits.
    void theSettingsWindowTakesTheWindowKeys() {
        ShellFixture shell;
        shell.app->launch({});
        QTRY_VERIFY(shell.delegate().welcomeWindow());
        QAction* settings = item(shell.delegate().welcomeWindow(), "Edit", "Settings…");
        const auto openSettings = [settings] {
            settings->trigger();
            QPointer<ui::SettingsView> view = ui::SettingsView::showShared();
            return QTest::qWaitForWindowActive(view) ? view : nullptr;
        };
        for (const QKeySequence& keys : {QKeySequence("Ctrl+W"), QKeySequence(Qt::Key_Escape)}) {
            QPointer<ui::SettingsView> view = openSettings();
            QVERIFY(view);
            QTest::keySequence(view->focusWidget() ? view->focusWidget() : view.get(), keys);
            QTRY_VERIFY2(view.isNull(), qPrintable(keys.toString()));
        }
        QPointer<ui::SettingsView> view = openSettings();
        QVERIFY(view);
        QTest::keySequence(view->focusWidget() ? view->focusWidget() : view.get(), QKeySequence("Ctrl+Q"));
        QVERIFY(shell.controller().isTerminating());
        view->close();
    }

    void openRecentListsTheRecentFilesAndGreysOutVanishedOnes() {
        ShellFixture shell;
        ui::RecentDocuments::clear();
        const QString present = shell.write("present.pdf");
        ui::RecentDocuments::note(shell.dir.filePath("vanished.pdf"));
        ui::RecentDocuments::note(present);
        app::DocumentWindow* window = shell.controller().newDocument();
        QMenu* recent = item(window, "File", "Open Recent")->menu();
        emit recent->aboutToShow();
        const QList<QAction*> actions = recent->actions();
        QCOMPARE(actions[0]->text(), QStringLiteral("present.pdf"));
        QVERIFY(actions[0]->isEnabled());
        QVERIFY(actions[1]->text().startsWith("vanished.pdf"));
        QVERIFY(!actions[1]->isEnabled());

        actions[0]->trigger();
        QTRY_VERIFY(shell.controller().documentFor(present));
        recent->actions().constLast()->trigger(); // Clear Menu
        QVERIFY(ui::RecentDocuments::paths().isEmpty());
    }
};

QTEST_MAIN(TestAppMenus)
#include "test_app_menus.moc"
