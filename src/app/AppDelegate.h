// The application's start-up and window policies: the landing window whenever no window is open, document
// windows taking over from it, and files handed to the application routed by kind.
#pragma once

#include "app/WelcomeWindow.h"

#include <QObject>
#include <QPointer>
#include <QStringList>

namespace zepla::app {

class DocumentController;

class AppDelegate : public QObject {
    Q_OBJECT

public:
    explicit AppDelegate(DocumentController& controller, QObject* parent = nullptr);
    ~AppDelegate() override;

    // The start-up sequence, in order: the memory-pressure handlers of the thumbnail and formula caches; a
    // second later the one-time default-viewer offer; on the next turn of the event loop the landing window
    // when no window is visible; watching windows close and become active.
    void applicationDidFinishLaunching();
    // Files handed to the application (its command line, a second launch): each goes on the road of its kind.
    void openFiles(const QStringList& paths);
    // The application was launched again without files: the landing window when no window is visible,
    // otherwise the most recent window comes forward.
    void reopen();

    // The landing window while the delegate considers it open.
    WelcomeWindow* welcomeWindow() const { return m_welcomeWindow; }
    void showLandingPageIfNoWindowsVisible();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void closeWelcomeWindow();
    void windowClosed(QWidget* window);

    DocumentController& m_controller;
    QPointer<WelcomeWindow> m_welcomeWindow;
};

// Whether any window of the application is on screen (menus, tooltips and other popups aside).
bool anyWindowVisible(const QWidget* except = nullptr);

} // namespace zepla::app
