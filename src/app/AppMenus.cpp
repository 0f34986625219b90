#include "app/AppMenus.h"

#include "app/DocumentController.h"
#include "app/DocumentWindow.h"
#include "app/UpdaterController.h"
#include "ui/landing/RecentDocuments.h"
#include "ui/settings/SettingsView.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>

namespace zepla::app::AppMenus {

namespace {

QAction* add(QMenu* menu, const QString& text, const QKeySequence& shortcut = {}) {
    QAction* action = menu->addAction(text);
    action->setShortcut(shortcut);
    return action;
}

// Rebuilt each time it opens, from the list in the preferences; a file that has gone is listed but greyed
// out.
void fillOpenRecent(QMenu* menu, DocumentController& controller) {
    menu->clear();
    const QStringList paths = ui::RecentDocuments::paths();
    for (const QString& path : paths) {
        const bool present = QFileInfo::exists(path);
        QAction* action = menu->addAction(QFileInfo(path).fileName());
        action->setToolTip(path);
        action->setEnabled(present);
        if (!present)
            action->setText(QMenu::tr("%1 (not found)").arg(QFileInfo(path).fileName()));
        QObject::connect(action, &QAction::triggered, &controller,
                         [&controller, path] { controller.openDocument(path); });
    }
    if (!paths.isEmpty())
        menu->addSeparator();
    QAction* clear = menu->addAction(QMenu::tr("Clear Menu"));
    clear->setEnabled(!paths.isEmpty());
    QObject::connect(clear, &QAction::triggered, [] { ui::RecentDocuments::clear(); });
}

void fileMenu(QMainWindow& window, DocumentController& controller, DocumentWindow* document) {
    QMenu* menu = window.menuBar()->addMenu(QMenu::tr("&File"));
    QObject::connect(add(menu, QMenu::tr("New"), QKeySequence::New), &QAction::triggered, &controller,
                     [&controller] { controller.newDocument(); });
    QObject::connect(add(menu, QMenu::tr("Open…"), QKeySequence::Open), &QAction::triggered, &controller,
                     [&controller, &window] { controller.runOpenDialog(&window); });
    QMenu* recent = menu->addMenu(QMenu::tr("Open Recent"));
    QObject::connect(recent, &QMenu::aboutToShow, recent,
                     [recent, &controller] { fillOpenRecent(recent, controller); });
    fillOpenRecent(recent, controller);
    menu->addSeparator();
    QObject::connect(add(menu, QMenu::tr("Close"), QKeySequence(QStringLiteral("Ctrl+W"))),
                     &QAction::triggered, &window, &QWidget::close);
    QAction* save = add(menu, QMenu::tr("Save"), QKeySequence(QStringLiteral("Ctrl+S")));
    QAction* saveAs = add(menu, QMenu::tr("Save As…"), QKeySequence(QStringLiteral("Ctrl+Shift+S")));
    save->setEnabled(document);
    saveAs->setEnabled(document);
    if (document) {
        QObject::connect(save, &QAction::triggered, document, [document] { document->save(); });
        QObject::connect(saveAs, &QAction::triggered, document, [document] { document->saveAs(); });
        QObject::connect(document, &DocumentWindow::savingChanged, menu, [save, saveAs](bool saving) {
            save->setEnabled(!saving);
            saveAs->setEnabled(!saving);
        });
    }
    menu->addSeparator();
    QAction* quit = add(menu, QMenu::tr("Quit"), QKeySequence(QStringLiteral("Ctrl+Q")));
    quit->setMenuRole(QAction::QuitRole);
    QObject::connect(quit, &QAction::triggered, &controller, &DocumentController::terminate);
}

void editMenu(QMainWindow& window, DocumentController& controller, DocumentWindow* document) {
    QMenu* menu = window.menuBar()->addMenu(QMenu::tr("&Edit"));
    QAction* undo = add(menu, QMenu::tr("Undo"), QKeySequence(QStringLiteral("Ctrl+Z")));
    QAction* redo = add(menu, QMenu::tr("Redo"), QKeySequence(QStringLiteral("Ctrl+Shift+Z")));
    undo->setEnabled(false);
    redo->setEnabled(false);
    if (document) {
        platform::UndoManager* undoManager = &document->undoManager();
        // A save in progress holds the document: undoing waits until it is done.
        const auto refresh = [undo, redo, undoManager, document] {
            undo->setEnabled(!document->isSaving() && undoManager->canUndo());
            redo->setEnabled(!document->isSaving() && undoManager->canRedo());
        };
        refresh();
        QObject::connect(undo, &QAction::triggered, undoManager, &platform::UndoManager::undo);
        QObject::connect(redo, &QAction::triggered, undoManager, &platform::UndoManager::redo);
        QObject::connect(undoManager, &platform::UndoManager::canUndoChanged, menu, refresh);
        QObject::connect(undoManager, &platform::UndoManager::canRedoChanged, menu, refresh);
        QObject::connect(document, &DocumentWindow::savingChanged, menu, refresh);
    }
    menu->addSeparator();
    QAction* settings = add(menu, QMenu::tr("Settings…"), QKeySequence(QStringLiteral("Ctrl+,")));
    settings->setMenuRole(QAction::PreferencesRole);
    // Found by name by views that open the settings, such as the assistant panel.
    settings->setObjectName(QStringLiteral("openSettings"));
    QObject::connect(settings, &QAction::triggered, &window, [&controller] {
        QObject::connect(ui::SettingsView::showShared(), &ui::SettingsView::quitRequested, &controller,
                         &DocumentController::terminate, Qt::UniqueConnection);
    });
    if (document)
        QObject::connect(document, &DocumentWindow::settingsRequested, settings, &QAction::trigger);
}

// A View item that calls `method` of the window's content, enabled while the content's `can` method says
// it can. The content binds the item's keys in the window itself (the workspace toolbar does), so the item
// shows them and takes them only while the menu has the keyboard, never competing with the content.
void addContentItem(QMenu* menu, QMainWindow& window, const QString& text, const QKeySequence& shortcut,
                    const char* method, const char* can) {
    QAction* item = add(menu, text, shortcut);
    item->setShortcutContext(Qt::WidgetShortcut);
    const QByteArray canSignature = QByteArray(can) + "()";
    const auto contentCan = [&window, canSignature, can] {
        QWidget* content = window.centralWidget();
        bool able = false;
        return content && content->metaObject()->indexOfMethod(canSignature.constData()) >= 0 &&
               QMetaObject::invokeMethod(content, can, Q_RETURN_ARG(bool, able)) && able;
    };
    QObject::connect(menu, &QMenu::aboutToShow, item, [item, contentCan] { item->setEnabled(contentCan()); });
    item->setEnabled(contentCan());
    QObject::connect(item, &QAction::triggered, &window, [&window, contentCan, method] {
        if (contentCan())
            QMetaObject::invokeMethod(window.centralWidget(), method);
    });
}

// The sidebar and the assistant belong to the window's content; their items work while the content says it
// can toggle them.
void viewMenu(QMainWindow& window) {
    QMenu* menu = window.menuBar()->addMenu(QMenu::tr("&View"));
    addContentItem(menu, window, QMenu::tr("Toggle Sidebar"), QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_S),
                   "toggleSidebar", "canToggleSidebar");
    addContentItem(menu, window, QMenu::tr("Toggle Assistant"), QKeySequence(Qt::CTRL | Qt::Key_K),
                   "toggleAssistant", "canToggleAssistant");
}

void helpMenu(QMainWindow& window, UpdaterController& updater) {
    QMenu* menu = window.menuBar()->addMenu(QMenu::tr("&Help"));
    QAction* about = add(menu, QMenu::tr("About Zepla"));
    about->setMenuRole(QAction::AboutRole);
    QObject::connect(about, &QAction::triggered, &window, [&window] {
        QMessageBox::about(&window, QMenu::tr("About Zepla"),
                           QMenu::tr("<b>Zepla</b> %1<p>Highlight, draw, and ask AI about your PDFs.</p>")
                               .arg(QCoreApplication::applicationVersion()));
    });
    QAction* check = add(menu, QMenu::tr("Check for Updates…"));
    check->setEnabled(updater.canCheckForUpdates());
    QObject::connect(&updater, &UpdaterController::canCheckForUpdatesChanged, check, &QAction::setEnabled);
    QObject::connect(check, &QAction::triggered, &updater, &UpdaterController::checkForUpdates);
}

} // namespace

void install(QMainWindow& window, DocumentController& controller, UpdaterController& updater,
             DocumentWindow* document) {
    fileMenu(window, controller, document);
    editMenu(window, controller, document);
    viewMenu(window);
    helpMenu(window, updater);
}

} // namespace zepla::app::AppMenus
