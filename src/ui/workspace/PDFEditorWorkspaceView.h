// The editing workspace of a document window: in one row the page sidebar, the PDF view with its short
// message overlay, and the assistant panel with its resize handle (hidden at first, 420 wide). It owns the
// window's coordinator and receives the PDF view's three callbacks: a question for the assistant, text
// recognised on a page, and a drawn redaction mark. None of its state is saved.
#pragma once

#include "annotations/AnnotationTool.h"
#include "pdfview/redaction/RedactionApplier.h"
#include "pdfview/redaction/RedactionRun.h"

#include "document/ocr/DocumentRecognition.h"

#include <QPointer>
#include <QProgressDialog>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>

class QVariantAnimation;

namespace zepla::ai {
class AIProvider;
class AssistantViewModel;
} // namespace zepla::ai

namespace zepla::annotations {
class ToolState;
}
namespace zepla::document {
class PDFEditorDocument;
}
namespace zepla::platform {
class UndoManager;
}
namespace zepla::pdfview {
class AnnotatingPDFView;
class PDFViewCoordinator;
} // namespace zepla::pdfview

namespace zepla::ui {

class AssistantResizeHandle;
class ToolSwitchToast;
class WorkspaceToolbar;

class PDFEditorWorkspaceView : public QWidget {
    Q_OBJECT

public:
    static constexpr int assistantInitialWidth = 420;
    static constexpr int assistantMinWidth = 260;
    static constexpr int assistantMaxWidth = 640;
    // The spring of the panels, as a duration and an overshooting ease-out.
    static constexpr int panelAnimationMs = 350;

    // Burns every pending redaction mark of the document into its page, as one undoable change, there and
    // then; says how many pages changed and how many could not be. Without one, the pages are drawn in the
    // background (`RedactionRun`).
    using RedactionApplier =
        std::function<pdfview::RedactionOutcome(document::PDFEditorDocument&, platform::UndoManager&)>;
    // The document, undo manager and tool state belong to the window and outlive the workspace.
    PDFEditorWorkspaceView(document::PDFEditorDocument& document, platform::UndoManager& undoManager,
                           annotations::ToolState& toolState, const QString& filePath,
                           QWidget* parent = nullptr);
    ~PDFEditorWorkspaceView() override;

    pdfview::PDFViewCoordinator& coordinator() const { return *m_coordinator; }
    pdfview::AnnotatingPDFView* pdfView() const { return m_pdfView; }
    annotations::ToolState& toolState() const { return m_toolState; }
    QString filePath() const { return m_filePath; }
    // The window's file moved (Save As): the remembered page follows it.
    void setFilePath(const QString& path);

    // The page sidebar slot; the workspace takes ownership. Shown while `showThumbnails` and pages exist.
    void setSidebar(QWidget* sidebar);
    QWidget* sidebar() const { return m_sidebar; }
    // The assistant panel slot, framed to `assistantPanelWidth`; the workspace takes ownership. Unless one is
    // given, the window's assistant panel is placed there when the slot is first shown.
    void setAssistantPanel(QWidget* panel);
    QWidget* assistantPanel() const { return m_assistantPanel; }

    // The window's chat state, made on first use over this window's document and coordinator. The workspace's
    // assistant requests reach it; a run still going when the window closes keeps it until the run ends.
    ai::AssistantViewModel& assistant();
    // The provider the assistant is made with, instead of the one the stored keys choose; before first use.
    void setAssistantProvider(std::shared_ptr<const ai::AIProvider> provider);

    bool showAssistant() const { return m_showAssistant; }
    void setShowAssistant(bool show);
    bool showThumbnails() const { return m_showThumbnails; }
    void setShowThumbnails(bool show);
    int assistantPanelWidth() const { return m_assistantPanelWidth; }
    void setAssistantPanelWidth(int width);

    // The PDF view's callbacks.
    void onAskAI(const QString& prompt, bool autoSubmit);
    void handleExtractedText(const QString& text);
    // Burns in every pending mark, in the background with progress and Cancel; marks drawn meanwhile are
    // burnt in by another run right after.
    void confirmApplyRedactions();
    void setRedactionApplier(RedactionApplier applier) { m_redactionApplier = std::move(applier); }
    pdfview::RedactionRun* redactionRun() const { return m_redactionRun; }
    QProgressDialog* redactionProgress() const { return m_redactionProgress; }

    // The toolbar's actions.
    // Every change of tool: ends the sticky markup and text editing, opens the signature picker for the
    // signature tool, and says which tool is now active.
    void selectTool(annotations::AnnotationTool tool);
    // Marks up the selected text, or with nothing selected switches the sticky mode of this markup.
    void toggleMarkup(annotations::MarkupAction action);
    void toggleTextEditingMode();
    // Recognises the current page's text (where it has none), copies it and shows it in the assistant.
    void ocrCurrentPageTapped();
    // The sidebar's text recognition of the whole document: every page without text, in the background,
    // with progress and a Cancel button; the outcome in the sidebar's alert.
    void recognizeDocumentText();
    document::DocumentRecognition* documentRecognition() const { return m_documentRecognition; }
    QProgressDialog* documentRecognitionProgress() const { return m_documentRecognitionProgress; }
    // Asks for one file and opens it on its own road; this window's document is never replaced.
    void openNewDocument();
    // The settings window, through the application.
    void openSettings();
    Q_INVOKABLE void toggleSidebar() { setShowThumbnails(!m_showThumbnails); }
    bool showSignaturePopover() const { return m_showSignaturePopover; }
    void setShowSignaturePopover(bool show);
    WorkspaceToolbar* toolbar() const { return m_toolbar; }

    // The short message over the PDF view.
    void announceToolSwitch(const QString& message);
    ToolSwitchToast* toast() const { return m_toast; }
    AssistantResizeHandle* resizeHandle() const { return m_handle; }

signals:
    // For the assistant: put the prompt into the draft, and send it when `autoSubmit` is set.
    void assistantPromptRequested(const QString& prompt, bool autoSubmit);
    // For the assistant: show this text as an assistant turn, without sending anything to the model.
    void assistantTurnRequested(const QString& text);
    void showAssistantChanged(bool shown);
    void showThumbnailsChanged(bool shown);
    void showSignaturePopoverChanged(bool shown);
    // The gear of the toolbar: the application shows its settings window.
    void settingsRequested();

private:
    // Lays the view out again and says what a redaction did.
    void redactionFinished(const pdfview::RedactionOutcome& outcome);
    // The toolbar's requests, and what it marks as shown.
    void connectToolbar();
    void updateSidebarSlot();
    void updateAssistantSlot();
    void animateWidth(QWidget* slot, int to);

    document::PDFEditorDocument& m_document;
    platform::UndoManager& m_undoManager;
    annotations::ToolState& m_toolState;
    QString m_filePath;
    pdfview::PDFViewCoordinator* m_coordinator;
    pdfview::AnnotatingPDFView* m_pdfView;
    ToolSwitchToast* m_toast;
    QWidget* m_sidebarSlot;
    QPointer<QWidget> m_sidebar;
    QWidget* m_assistantSlot;
    AssistantResizeHandle* m_handle;
    QPointer<QWidget> m_assistantPanel;
    QWidget* m_assistantFrame;
    bool m_showAssistant = false;
    bool m_showThumbnails = true;
    int m_assistantPanelWidth = assistantInitialWidth;
    RedactionApplier m_redactionApplier;
    QPointer<pdfview::RedactionRun> m_redactionRun;
    QPointer<QProgressDialog> m_redactionProgress;
    bool m_redactAgain = false;
    std::shared_ptr<const ai::AIProvider> m_assistantProvider;
    std::shared_ptr<ai::AssistantViewModel> m_assistant;
    QPointer<document::DocumentRecognition> m_documentRecognition;
    QPointer<QProgressDialog> m_documentRecognitionProgress;
    bool m_showSignaturePopover = false;
    WorkspaceToolbar* m_toolbar = nullptr;
};

} // namespace zepla::ui
