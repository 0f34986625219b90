// The document controller: makes and finds document windows, opens files into them, keeps the recent list and
// quits after asking about unsaved changes.
#pragma once

#include "app/DocumentImport.h"

#include <QList>
#include <QObject>
#include <QSet>
#include <QString>

class QMainWindow;
class QWidget;

namespace zepla::app {

class DocumentWindow;
class UpdaterController;

class DocumentController : public QObject {
    Q_OBJECT

public:
    explicit DocumentController(UpdaterController& updater, QObject* parent = nullptr);
    ~DocumentController() override;

    const QList<DocumentWindow*>& documents() const { return m_documents; }

    // A window over a new, empty document.
    DocumentWindow* newDocument();
    // Opens the PDF in a new window, reading it off the UI thread; a file already open brings its window
    // forward instead. A file that cannot be read is named in an alert and nothing else changes.
    void openDocument(const QString& path);
    // Converts a file of another kind to PDF in the background and opens the PDF (or names the file in an
    // alert); the conversion runs on whatever windows open or close meanwhile.
    void importDocument(const QString& path);
    // The open dialog (File ▸ Open…); each chosen file goes on the road of its kind.
    void runOpenDialog(QWidget* parent);

    DocumentWindow* documentFor(const QString& path) const;
    // Raises and activates the window of this file; false when no window shows it.
    bool bringForward(const QString& path);
    void showOpenFailure(const QString& path, const QString& reason);

    // The menu bar of a document window, or of another window of the application (`document` null).
    void installMenus(QMainWindow& window, DocumentWindow* document);

    // Quit: closes every document window, asking about unsaved changes one window at a time; a Cancel stops
    // the quit and leaves the remaining windows open. Conversions still running are stopped unasked.
    void terminate();
    bool isTerminating() const { return m_terminating; }
    // Whether a document is being read or converted: its window is on its way.
    bool isOpening() const { return !m_opening.isEmpty() || m_imports.isImporting(); }

signals:
    void documentOpened(DocumentWindow* window);
    // A window's document was replaced by a file opened into it.
    void documentReplaced(DocumentWindow* window);
    // A document that was on its way has opened, or failed with an alert.
    void openingEnded();

private:
    DocumentWindow* addWindow(DocumentWindow* window);
    void releaseCaches(DocumentWindow& window);
    void closeNextForTermination();

    UpdaterController& m_updater;
    QList<DocumentWindow*> m_documents;
    QSet<QString> m_opening;
    DocumentImports m_imports;
    bool m_terminating = false;
};

} // namespace zepla::app
