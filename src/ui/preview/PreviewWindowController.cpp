#include "ui/preview/PreviewWindowController.h"

#include "document/FileOpenRouter.h"
#include "ui/preview/PreviewContentView.h"

#include <QCloseEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMainWindow>
#include <QScreen>

namespace zepla::ui {

namespace {

QList<PreviewWindowController*>& controllers() {
    static QList<PreviewWindowController*> list;
    return list;
}

// Tells its controller when it closes.
class PreviewWindow : public QMainWindow {
public:
    explicit PreviewWindow(std::function<void()> willClose) : m_willClose(std::move(willClose)) {}

protected:
    void closeEvent(QCloseEvent* event) override {
        QMainWindow::closeEvent(event);
        if (event->isAccepted())
            m_willClose();
    }

private:
    std::function<void()> m_willClose;
};

} // namespace

PreviewWindowController* PreviewWindowController::open(const QString& path) {
    const bool isSupported =
        document::FileOpenRouter::classify(path) == document::FileOpenRouter::Kind::preview;
    auto* controller = new PreviewWindowController(path, isSupported);
    controllers() << controller;
    QMainWindow* window = controller->window();
    window->show();
    window->raise();
    window->activateWindow();
    return controller;
}

const QList<PreviewWindowController*>& PreviewWindowController::openControllers() {
    return controllers();
}

PreviewWindowController::PreviewWindowController(const QString& path, bool isSupported)
    : m_window(std::make_unique<PreviewWindow>([this] { windowWillClose(); })) {
    m_content = new PreviewContentView(path, isSupported);
    m_window->setCentralWidget(m_content);
    m_window->setWindowTitle(QFileInfo(path).fileName());
    m_window->resize(900, 700);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame(QPoint(), m_window->size());
        frame.moveCenter(screen->availableGeometry().center());
        m_window->move(frame.topLeft());
    }
}

PreviewWindowController::~PreviewWindowController() {
    controllers().removeAll(this);
}

void PreviewWindowController::windowWillClose() {
    controllers().removeAll(this);
    deleteLater();
}

} // namespace zepla::ui
