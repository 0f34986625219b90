// The workspace's toolbar actions: choosing a tool, the markups, text editing, OCR of the page shown, opening
// another file and the settings.
#include "ui/workspace/PDFEditorWorkspaceView.h"

#include "annotations/ToolState.h"
#include "document/FileOpenRouter.h"
#include "document/ocr/OCRTextLayerApplier.h"
#include "pdfview/annotating/AnnotatingPDFView.h"
#include "pdfview/coordinator/PDFViewCoordinator.h"
#include "ui/theme/DialogSizing.h"
#include "ui/toolbar/SignaturePopover.h"
#include "ui/toolbar/ToolGroup.h"
#include "ui/toolbar/WorkspaceToolbar.h"

#include <QClipboard>
#include <QFileDialog>
#include <QGuiApplication>

namespace zepla::ui {

using annotations::AnnotationTool;

void PDFEditorWorkspaceView::connectToolbar() {
    connect(m_toolbar, &WorkspaceToolbar::openRequested, this, &PDFEditorWorkspaceView::openNewDocument);
    connect(m_toolbar, &WorkspaceToolbar::sidebarToggled, this, &PDFEditorWorkspaceView::toggleSidebar);
    connect(m_toolbar, &WorkspaceToolbar::toolChosen, this, &PDFEditorWorkspaceView::selectTool);
    connect(m_toolbar, &WorkspaceToolbar::markupToggled, this, &PDFEditorWorkspaceView::toggleMarkup);
    connect(m_toolbar, &WorkspaceToolbar::textEditingToggled, this,
            &PDFEditorWorkspaceView::toggleTextEditingMode);
    connect(m_toolbar, &WorkspaceToolbar::ocrPageRequested, this,
            &PDFEditorWorkspaceView::ocrCurrentPageTapped);
    connect(m_toolbar, &WorkspaceToolbar::assistantToggled, this,
            [this] { setShowAssistant(!m_showAssistant); });
    connect(m_toolbar, &WorkspaceToolbar::settingsRequested, this, &PDFEditorWorkspaceView::openSettings);
    m_toolbar->setSidebarShown(m_showThumbnails);
    connect(this, &PDFEditorWorkspaceView::showThumbnailsChanged, m_toolbar,
            &WorkspaceToolbar::setSidebarShown);
    m_toolbar->setAssistantShown(m_showAssistant);
    connect(this, &PDFEditorWorkspaceView::showAssistantChanged, m_toolbar,
            &WorkspaceToolbar::setAssistantShown);
    SignaturePopover* signatures = m_toolbar->toolGroup()->signaturePopover();
    connect(this, &PDFEditorWorkspaceView::showSignaturePopoverChanged, signatures, &SignaturePopover::show);
    connect(signatures, &SignaturePopover::shownRequested, this,
            &PDFEditorWorkspaceView::setShowSignaturePopover);
}

void PDFEditorWorkspaceView::selectTool(AnnotationTool tool) {
    m_toolState.setTool(tool);
    m_toolState.setActiveMarkupMode(std::nullopt);
    m_toolState.setTextEditingModeEnabled(false);
    if (tool == AnnotationTool::signature) {
        // Opens the picker again also when it is already meant to be open.
        m_showSignaturePopover = false;
        setShowSignaturePopover(true);
    }
    announceToolSwitch(QStringLiteral("Switched to %1 Tool").arg(annotations::label(tool)));
}

void PDFEditorWorkspaceView::toggleMarkup(annotations::MarkupAction action) {
    if (m_coordinator->applyMarkup(action))
        return;
    if (m_toolState.activeMarkupMode() == action) {
        m_toolState.setActiveMarkupMode(std::nullopt);
        return;
    }
    m_toolState.setActiveMarkupMode(action);
    m_toolState.setTool(AnnotationTool::select);
    m_toolState.setTextEditingModeEnabled(false);
}

void PDFEditorWorkspaceView::toggleTextEditingMode() {
    const bool enabled = !m_toolState.isTextEditingModeEnabled();
    m_toolState.setTextEditingModeEnabled(enabled);
    if (!enabled)
        return;
    m_toolState.setTool(AnnotationTool::select);
    m_toolState.setActiveMarkupMode(std::nullopt);
    announceToolSwitch(QStringLiteral("Editing Mode — click any line of text to edit it"));
}

void PDFEditorWorkspaceView::ocrCurrentPageTapped() {
    const std::optional<int> page = m_coordinator->currentPageIndex();
    if (!page)
        return;
    document::OCRTextLayerApplier::applyToCurrentPage(
        m_document, *page, &m_undoManager, this,
        [this](const document::OCRTextLayerApplier::PageOutcome& outcome) {
            if (pdfview::PDFView* view = m_coordinator->pdfView())
                view->layoutDocumentView();
            if (outcome && outcome.value() && !outcome.value()->isEmpty()) {
                QGuiApplication::clipboard()->setText(*outcome.value());
                handleExtractedText(*outcome.value());
                return;
            }
            handleExtractedText(QStringLiteral("No text could be recognized on this page."));
            if (!outcome && !outcome.error().isEmpty())
                announceToolSwitch(outcome.error());
        });
}

void PDFEditorWorkspaceView::openNewDocument() {
    QFileDialog dialog(window(), tr("Open"));
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilter(document::FileOpenRouter::openDialogNameFilter());
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    sizeFileDialogToColumns(dialog);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    document::FileOpenRouter::open(dialog.selectedFiles().constFirst());
}

void PDFEditorWorkspaceView::openSettings() {
    emit settingsRequested();
}

void PDFEditorWorkspaceView::setShowSignaturePopover(bool show) {
    if (show == m_showSignaturePopover)
        return;
    m_showSignaturePopover = show;
    emit showSignaturePopoverChanged(show);
}

} // namespace zepla::ui
