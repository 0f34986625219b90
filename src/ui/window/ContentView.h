// The content of a document window, chosen from the document: the unlock view while its PDF is locked, the
// editing workspace while it has pages, the landing content otherwise. The workspace is built anew whenever
// the document's PDF is replaced by another one; edits of the same PDF keep it. Owns the window's tool state.
#pragma once

#include "annotations/ToolState.h"

#include <QPointer>
#include <QWidget>

namespace zepla::document {
class PDFEditorDocument;
}
namespace zepla::platform {
class UndoManager;
}

namespace zepla::ui {

class PDFEditorWorkspaceView;

class ContentView : public QWidget {
    Q_OBJECT

public:
    enum class Content { unlock, workspace, landing };

    // The document and the undo manager belong to the window and outlive this view. `filePath` is empty
    // for a document without a file.
    ContentView(document::PDFEditorDocument& document, platform::UndoManager& undoManager,
                const QString& filePath, QWidget* parent = nullptr);

    Content content() const { return m_content; }
    QWidget* contentWidget() const { return m_current; }
    // The workspace while it is shown, else null.
    PDFEditorWorkspaceView* workspace() const;
    annotations::ToolState& toolState() { return m_toolState; }

    // The View menu's sidebar toggle: it shows or hides the workspace's page sidebar, so it works while
    // the workspace is shown.
    Q_INVOKABLE bool canToggleSidebar() const { return workspace() != nullptr; }
    Q_INVOKABLE void toggleSidebar();
    // The same for the workspace's assistant panel.
    Q_INVOKABLE bool canToggleAssistant() const { return workspace() != nullptr; }
    Q_INVOKABLE void toggleAssistant();

    // The window's file changed (Save As, or a file opened into the window).
    void setFilePath(const QString& path);

signals:
    // A PDF chosen in the landing content, for the window to open into itself.
    void openInPlaceRequested(const QString& path);
    // The workspace's settings button.
    void settingsRequested();

private:
    Content wantedContent() const;
    void scheduleRefresh();
    void refresh();

    document::PDFEditorDocument& m_document;
    platform::UndoManager& m_undoManager;
    QString m_filePath;
    annotations::ToolState m_toolState;
    Content m_content = Content::landing;
    QPointer<QWidget> m_current;
    quint64 m_shownPdf = 0; // serial of the PDF the workspace was built for
    bool m_refreshScheduled = false;
};

} // namespace zepla::ui
