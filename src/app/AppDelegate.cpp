#include "app/AppDelegate.h"

#include "app/DefaultPDFPrompt.h"
#include "app/DocumentController.h"
#include "app/DocumentWindow.h"
#include "app/WelcomeWindow.h"
#include "document/FileOpenRouter.h"
#include "document/ThumbnailCache.h"
#include "ui/markdown/MathImageRenderer.h"

#include <QApplication>
#include <QScreen>
#include <QStyle>
#include <QTimer>

namespace zepla::app {

namespace {

constexpr int landingFollowUpMilliseconds = 400;
// The default-viewer offer waits until the first window has settled.
constexpr int defaultViewerOfferMilliseconds = 1000;

bool isPopup(const QWidget* widget) {
    const Qt::WindowType type = widget->windowType();
    return type == Qt::Popup || type == Qt::ToolTip || type == Qt::SplashScreen;
}

// The modal dialog running on `window` (its open panel, say), or null.
QWidget* modalDialogOn(const QWidget* window) {
    QWidget* modal = QApplication::activeModalWidget();
    for (const QWidget* widget = modal; widget; widget = widget->parentWidget())
        if (widget == window)
            return modal;
    return nullptr;
}

} // namespace

bool anyWindowVisible(const QWidget* except) {
    const QWidgetList windows = QApplication::topLevelWidgets();
    return std::any_of(windows.cbegin(), windows.cend(), [except](const QWidget* window) {
        return window != except && window->isVisible() && !isPopup(window);
    });
}

AppDelegate::AppDelegate(DocumentController& controller, QObject* parent)
    : QObject(parent), m_controller(controller) {
    // A document window that becomes active, or opens in front, takes over from the landing window.
    connect(&m_controller, &DocumentController::documentReplaced, this, &AppDelegate::closeWelcomeWindow);
    // A conversion the user stopped leaves no window behind it: the landing window comes back.
    connect(&m_controller, &DocumentController::openingEnded, this,
            [this] { QTimer::singleShot(0, this, &AppDelegate::showLandingPageIfNoWindowsVisible); });
}

AppDelegate::~AppDelegate() {
    qApp->removeEventFilter(this);
    delete m_welcomeWindow;
}

void AppDelegate::applicationDidFinishLaunching() {
    document::ThumbnailCache::install();
    ui::MathImageRenderer::install();
    QTimer::singleShot(defaultViewerOfferMilliseconds, this, [] { DefaultPDFPrompt::promptIfNeeded(); });
    QTimer::singleShot(0, this, &AppDelegate::showLandingPageIfNoWindowsVisible);
    qApp->installEventFilter(this);
}

void AppDelegate::openFiles(const QStringList& paths) {
    for (const QString& path : paths)
        document::FileOpenRouter::open(path);
}

void AppDelegate::reopen() {
    if (!anyWindowVisible())
        return showLandingPageIfNoWindowsVisible();
    QWidget* window = QApplication::activeWindow();
    if (!window && !m_controller.documents().isEmpty())
        window = m_controller.documents().constLast();
    if (!window)
        window = m_welcomeWindow;
    if (window) {
        window->raise();
        window->activateWindow();
    }
}

// A document being read counts as a window on its way: a launch with a file goes straight to its window,
// without the landing window flashing up meanwhile. Should the reading fail, its alert is a window, and the
// landing follows when the alert closes.
void AppDelegate::showLandingPageIfNoWindowsVisible() {
    if (m_controller.isTerminating() || m_controller.isOpening() || anyWindowVisible())
        return;
    auto* window = new WelcomeWindow;
    m_controller.installMenus(*window, nullptr);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        window->setGeometry(screen->availableGeometry());
    else
        window->setGeometry(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, WelcomeWindow::initialSize,
                                                QRect(QPoint(), WelcomeWindow::initialSize)));
    delete m_welcomeWindow;
    m_welcomeWindow = window;
    window->show();
    window->raise();
    window->activateWindow();

    // A document window that opened meanwhile, without becoming active, still takes over.
    QPointer<WelcomeWindow> shown(window);
    QTimer::singleShot(landingFollowUpMilliseconds, this, [this, shown] {
        if (!shown || m_welcomeWindow != shown)
            return;
        const auto& documents = m_controller.documents();
        if (std::any_of(documents.cbegin(), documents.cend(),
                        [](const DocumentWindow* w) { return w->isVisible(); }))
            closeWelcomeWindow();
    });
}

void AppDelegate::closeWelcomeWindow() {
    if (!m_welcomeWindow)
        return;
    WelcomeWindow* window = m_welcomeWindow;
    m_welcomeWindow = nullptr;
    window->close();
    // A modal dialog on the window runs its event loop inside a call on that window, and is its child: the
    // window may only go once the dialog has returned and is gone.
    if (QWidget* dialog = modalDialogOn(window))
        connect(dialog, &QObject::destroyed, window, &QObject::deleteLater);
    else
        window->deleteLater();
}

void AppDelegate::windowClosed(QWidget* window) {
    if (window == m_welcomeWindow) {
        // Without a Dock to bring it back, closing the landing window with nothing else open ends the
        // application; a document on its way counts as open.
        QTimer::singleShot(0, this, [this] {
            if (!m_controller.isTerminating() && !m_controller.isOpening() && !anyWindowVisible())
                m_controller.terminate();
        });
        return;
    }
    QTimer::singleShot(0, this, &AppDelegate::showLandingPageIfNoWindowsVisible);
}

bool AppDelegate::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type != QEvent::Close && type != QEvent::Show && type != QEvent::WindowActivate)
        return false;
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || !widget->isWindow() || isPopup(widget))
        return false;
    if (type == QEvent::Close)
        windowClosed(widget);
    else if (qobject_cast<DocumentWindow*>(widget))
        closeWelcomeWindow();
    return false;
}

} // namespace zepla::app
