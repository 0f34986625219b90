// The read-only preview windows: one new window per request, each kept by its controller in a list of open
// controllers until the window closes.
#pragma once

#include <QList>
#include <QObject>
#include <QString>

#include <memory>

class QMainWindow;

namespace zepla::ui {

class PreviewContentView;

class PreviewWindowController : public QObject {
    Q_OBJECT

public:
    // Opens a new preview window for the file and brings it to the front. A file of a type the preview
    // shows (spreadsheets, presentations, books) is converted and shown; any other gets the placeholder.
    static PreviewWindowController* open(const QString& path);
    // Every controller whose window is open, oldest first.
    static const QList<PreviewWindowController*>& openControllers();

    ~PreviewWindowController() override;

    QMainWindow* window() const { return m_window.get(); }
    PreviewContentView* content() const { return m_content; }

private:
    PreviewWindowController(const QString& path, bool isSupported);
    void windowWillClose();

    std::unique_ptr<QMainWindow> m_window;
    PreviewContentView* m_content = nullptr;
};

} // namespace zepla::ui
