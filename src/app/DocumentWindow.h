// A document window: one per document, owning the document, its undo history and its file path, with saving
// and the unsaved-changes prompt on close.
#pragma once

#include "app/FileIdentity.h"
#include "app/FileWatch.h"
#include "core/UndoManager.h"
#include "document/PDFEditorDocument.h"

#include <QMainWindow>

#include <functional>
#include <memory>
#include <optional>

class QLabel;
class QMessageBox;
class QToolBar;

namespace zepla::app {

class DocumentController;
class SaveProgressCover;

class DocumentWindow : public QMainWindow {
    Q_OBJECT

public:
    // `filePath` is empty for a new, untitled document; `identity` is the file as it was read.
    DocumentWindow(std::unique_ptr<document::PDFEditorDocument> document, const QString& filePath,
                   DocumentController& controller, std::optional<FileIdentity> identity = {});
    ~DocumentWindow() override;

    document::PDFEditorDocument& document() const { return *m_document; }
    platform::UndoManager& undoManager() { return m_undoManager; }
    QString filePath() const { return m_filePath; }
    // The file name, or "Untitled".
    QString displayName() const;

    // Unsaved changes: an undo history away from its saved state, or an edit that could not be undone (the
    // document's PDF replaced by an operation).
    bool isDocumentEdited() const;
    // From the start of a save to its outcome, the user's answers included. While a worker writes, editing
    // waits: the content is covered and the document's menu items are off.
    bool isSaving() const { return m_saving; }

    // Save: to the document's file, or through Save As when it has none. `done` tells whether it was saved.
    void save(std::function<void(bool saved)> done = {});
    // Asks where, then saves there; the window then shows that file.
    void saveAs(std::function<void(bool saved)> done = {});
    // Writes the document to `path` on a worker, the window staying usable; a failure is shown in an alert
    // and leaves the document as edited as it was. The window's own file, changed on disk by another program
    // since it was read or saved, is replaced only when the user says so (Overwrite, Save As…, Cancel).
    void saveTo(const QString& path, std::function<void(bool saved)> done = {});

    // What the window says about its file on disk: empty while the file is the one read or saved last.
    QString fileNotice() const;

    // Opens a PDF into this window, replacing its document (the landing content of an empty window does
    // this).
    void openInPlace(const QString& path);
    // Says so when the file was damaged in a way that stays: a protected file too damaged to open with its
    // password (shown as it reads, never saved over; an unprotected copy is still possible), or pages that
    // could not be read (shown blank in their places).
    void warnAboutDamage();

    // Closes like the window's close button, asking about unsaved changes first; `done` tells whether the
    // window closed (false when the user cancelled or saving failed).
    void requestClose(std::function<void(bool closed)> done);
    // The unsaved-changes prompt while it is shown.
    QMessageBox* closePrompt() const { return m_closePrompt; }

signals:
    void documentEditedChanged(bool edited);
    void filePathChanged(const QString& path);
    // The window now shows another file, opened into it.
    void documentReplaced();
    // The settings button of the window's toolbar was pressed.
    void settingsRequested();
    void closed();
    void savingChanged(bool saving);

protected:
    void closeEvent(QCloseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    // The window's content, made once. The only place that knows what the content is.
    QWidget* makeContent();
    void setFilePath(const QString& path);
    void updateTitle();
    void askToSave();
    void finishClose(bool closed);

    // One save on its way: where to, what the document was when its bytes were taken, who waits for it.
    struct PendingSave {
        QString path;
        std::shared_ptr<pdf::Document> pdf;
        quint64 revision = 0;
        std::function<void(bool)> done;
    };
    void write(PendingSave save, std::function<document::DocumentResult<QByteArray>()> snapshot,
               std::optional<FileIdentity> expected);
    void saved(const PendingSave& save, std::optional<FileIdentity> identity);
    void askAboutChangedFile(PendingSave save, QByteArray bytes);
    void endSave(const PendingSave& save, bool saved);
    std::optional<QString> askSavePath();
    // A strip above the content that says what became of the window's file on disk; hidden while nothing did.
    void makeFileNoticeBar();
    void setFileOnDisk(const QString& path, std::optional<FileIdentity> identity);
    void updateFileNotice();

    std::unique_ptr<document::PDFEditorDocument> m_document;
    platform::UndoManager m_undoManager;
    QString m_filePath;
    DocumentController& m_controller;
    bool m_editedWithoutUndo = false;
    bool m_replacingDocument = false;
    bool m_saving = false;
    bool m_closeApproved = false;
    bool m_closeWhenSaved = false;
    std::optional<FileIdentity> m_fileIdentity; // the file as read or last written
    FileWatch m_fileWatch;
    QToolBar* m_noticeBar = nullptr;
    QLabel* m_notice = nullptr;
    std::unique_ptr<SaveProgressCover> m_cover;
    QMessageBox* m_closePrompt = nullptr;
    std::function<void(bool)> m_closeCallback;
};

} // namespace zepla::app
