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
    }
    menu->addSeparator();
    QAction* quit = add(menu, QMenu::tr("Quit"), QKeySequence(QStringLiteral("Ctrl+Q")));
    quit->setMenuRole(QAction::QuitRole);
    QObject::connect(quit, &QAction::triggered, &controller, &DocumentController::terminate);
}

void editMenu(QMainWindow& window, DocumentWindow* document) {
    QMenu* menu = window.menuBar()->addMenu(QMenu::tr("&Edit"));
    QAction* undo = add(menu, QMenu::tr("Undo"), QKeySequence(QStringLiteral("Ctrl+Z")));
    QAction* redo = add(menu, QMenu::tr("Redo"), QKeySequence(QStringLiteral("Ctrl+Shift+Z")));
    undo->setEnabled(false);
    redo->setEnabled(false);
    if (document) {
        platform::UndoManager* undoManager = &document->undoManager();
        undo->setEnabled(undoManager->canUndo());
        redo->setEnabled(undoManager->canRedo());
        QObject::connect(undo, &QAction::triggered, undoManager, &platform::UndoManager::undo);
        QObject::connect(redo, &QAction::triggered, undoManager, &platform::UndoManager::redo);
        QObject::connect(undoManager, &platform::UndoManager::canUndoChanged, undo, &QAction::setEnabled);
        QObject::connect(undoManager, &platform::UndoManager::canRedoChanged, redo, &QAction::setEnabled);
    }
    menu->addSeparator();
    QAction* settings = add(menu, QMenu::tr("Settings…"), QKeySequence(QStringLiteral("Ctrl+,")));
    settings->setMenuRole(QAction::PreferencesRole);
    QObject::connect(settings, &QAction::triggered, &window, [] { ui::SettingsView::showShared(); });
}

// The sidebar belongs to the window's content; the item works while the content says it can toggle one.
void viewMenu(QMainWindow& window) {
    QMenu* menu = window.menuBar()->addMenu(QMenu::tr("&View"));
    QAction* toggle = add(menu, QMenu::tr("Toggle Sidebar"));
    const auto contentToggles = [&window] {
        QWidget* content = window.centralWidget();
        bool can = false;
        return content && content->metaObject()->indexOfMethod("canToggleSidebar()") >= 0 &&
               QMetaObject::invokeMethod(content, "canToggleSidebar", Q_RETURN_ARG(bool, can)) && can;
    };
    QObject::connect(menu, &QMenu::aboutToShow, toggle,
                     [toggle, contentToggles] { toggle->setEnabled(contentToggles()); });
    toggle->setEnabled(contentToggles());
    QObject::connect(toggle, &QAction::triggered, &window, [&window, contentToggles] {
        if (contentToggles())
            QMetaObject::invokeMethod(window.centralWidget(), "toggleSidebar");
    });
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
}

} // namespace

void install(QMainWindow& window, DocumentController& controller, UpdaterController& updater,
             DocumentWindow* document) {
    fileMenu(window, controller, document);
    editMenu(window, document);
    viewMenu(window);
    helpMenu(window, updater);
}

} // namespace zepla::app::AppMenus
