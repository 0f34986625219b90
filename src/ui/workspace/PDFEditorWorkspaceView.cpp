#include "ui/workspace/PDFEditorWorkspaceView.h"

#include "assistant/AssistantViewModel.h"
#include "core/LaunchTrace.h"
#include "core/UndoManager.h"
#include "core/Wording.h"
#include "document/PDFEditorDocument.h"
#include "pdfview/annotating/AnnotatingPDFView.h"
#include "pdfview/coordinator/CoordinatorAssistantViewer.h"
#include "pdfview/coordinator/PDFViewBridge.h"
#include "pdfview/coordinator/PDFViewCoordinator.h"
#include "pdfview/view/FormFillUndo.h"
#include "ui/assistant/AssistantPanel.h"
#include "ui/passwords/SetPasswordSheet.h"
#include "ui/sheets/BookmarksEditorView.h"
#include "ui/sheets/CompressPDFSheetView.h"
#include "ui/sheets/MetadataEditorView.h"
#include "ui/sheets/WatermarkSheetView.h"
#include "ui/sidebar/ThumbnailSidebar.h"
#include "ui/theme/Colors.h"
#include "ui/toolbar/WorkspaceToolbar.h"
#include "ui/workspace/AssistantResizeHandle.h"
#include "ui/workspace/ToolSwitchToast.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QVBoxLayout>
#include <QVariantAnimation>

#include <algorithm>

namespace zepla::ui {

namespace {

QHBoxLayout* bareRow(QWidget* owner) {
    auto* row = new QHBoxLayout(owner);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    return row;
}

} // namespace

PDFEditorWorkspaceView::PDFEditorWorkspaceView(document::PDFEditorDocument& document,
                                               platform::UndoManager& undoManager,
                                               annotations::ToolState& toolState, const QString& filePath,
                                               QWidget* parent)
    : QWidget(parent), m_document(document), m_undoManager(undoManager), m_toolState(toolState),
      m_filePath(filePath), m_coordinator(new pdfview::PDFViewCoordinator(this)),
      m_pdfView(new pdfview::AnnotatingPDFView(this)), m_toast(new ToolSwitchToast(m_pdfView)),
      m_sidebarSlot(new QWidget(this)), m_assistantSlot(new QWidget(this)),
      m_handle(new AssistantResizeHandle(assistantMinWidth, assistantMaxWidth)),
      m_assistantFrame(new QWidget) {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    m_toolbar = new WorkspaceToolbar(toolState, *m_coordinator, this);
    connectToolbar();
    column->addWidget(m_toolbar);
    auto* body = new QWidget(this);
    column->addWidget(body, 1);
    QHBoxLayout* row = bareRow(body);
    row->addWidget(m_sidebarSlot);
    row->addWidget(m_pdfView, 1);
    row->addWidget(m_assistantSlot);

    QHBoxLayout* sidebarRow = bareRow(m_sidebarSlot);
    auto* divider = new QFrame(m_sidebarSlot);
    divider->setFrameShape(QFrame::VLine);
    divider->setFrameShadow(QFrame::Plain);
    divider->setFixedWidth(1);
    divider->setStyleSheet(
        QStringLiteral("color: %1;").arg(Color::primary(divider, 0.12).name(QColor::HexArgb)));
    sidebarRow->addWidget(divider);
    m_sidebarSlot->hide();

    QHBoxLayout* assistantRow = bareRow(m_assistantSlot);
    assistantRow->addWidget(m_handle);
    assistantRow->addWidget(m_assistantFrame);
    bareRow(m_assistantFrame);
    m_handle->setPanelWidth(m_assistantPanelWidth);
    connect(m_handle, &AssistantResizeHandle::panelWidthChanged, this,
            &PDFEditorWorkspaceView::setAssistantPanelWidth);
    m_assistantSlot->hide();

    pdfview::PDFViewBridge::attach(*m_pdfView, *m_coordinator, document.pdfDocument(), filePath,
                                   Color::appTint());
    m_pdfView->setToolState(&toolState);
    m_pdfView->setUndoManager(&undoManager);
    m_pdfView->onAskAI = [this](const QString& prompt, bool autoSubmit) { onAskAI(prompt, autoSubmit); };
    m_pdfView->onTextExtracted = [this](const QString& text) { handleExtractedText(text); };
    m_pdfView->onRedactionDrawn = [this] { confirmApplyRedactions(); };
    connect(m_pdfView, &pdfview::AnnotatingPDFView::editedWithoutUndo, &m_document,
            &document::PDFEditorDocument::announceEditWithoutUndo);
    connect(m_pdfView, &pdfview::PDFView::formFieldEdited, this,
            [this](int pageIndex, const pdf::FormWidget& previous) {
                const pdf::PageHandle page = m_pdfView->document()->page(pageIndex);
                pdfview::FormFillUndo::registerUndo(*m_pdfView, m_undoManager, page, previous,
                                                    [this] { m_document.announceChange(); });
                m_document.announceChange();
            });
    connect(this, &PDFEditorWorkspaceView::assistantPromptRequested, this,
            [this](const QString& prompt, bool autoSubmit) {
                assistant().setDraft(prompt);
                if (autoSubmit)
                    assistant().submit();
            });
    connect(this, &PDFEditorWorkspaceView::assistantTurnRequested, this, [this](const QString& text) {
        assistant().appendTurn({QUuid::createUuid(), ai::AssistantTurn::Role::assistant, text});
    });
    connect(m_pdfView, &pdfview::PDFView::pageDrawn, this, [](int, bool complete) {
        if (complete)
            platform::LaunchTrace::reached("first page painted");
    });
    // Page edits made elsewhere (sidebar, page tools) change the pages the view lays out, and the page
    // count the indicator shows, even where the current page stays the same.
    connect(&document, &document::PDFEditorDocument::changed, this, [this] {
        if (m_pdfView->document() == m_document.pdfDocument()) {
            m_pdfView->layoutDocumentView();
            m_coordinator->updatePageIndicator();
        }
        updateSidebarSlot();
    });

    auto* sidebar = new ThumbnailSidebar(&document, m_coordinator, &undoManager);
    sidebar->setSheetFactory([sidebar, this, &undoManager](SidebarSheet sheet, QWidget* parent) -> QDialog* {
        switch (sheet) {
        case SidebarSheet::setPassword:
            return new SetPasswordSheet(m_document.pdfDocument(), sidebar->baseName(), parent);
        case SidebarSheet::bookmarks:
            return new BookmarksEditorView(m_document, m_coordinator, &undoManager, parent);
        case SidebarSheet::metadata:
            return new MetadataEditorView(m_document, &undoManager, parent);
        case SidebarSheet::watermark:
            return new WatermarkSheetView(m_document, &undoManager, parent);
        case SidebarSheet::compress:
            return new CompressPDFSheetView(m_document.pdfDocument(), sidebar->baseName(), m_filePath,
                                            parent);
        }
        return nullptr;
    });
    connect(sidebar, &ThumbnailSidebar::ocrDocumentRequested, this,
            &PDFEditorWorkspaceView::recognizeDocumentText);
    setSidebar(sidebar);
}

PDFEditorWorkspaceView::~PDFEditorWorkspaceView() = default;

void PDFEditorWorkspaceView::setFilePath(const QString& path) {
    m_filePath = path;
    m_coordinator->setFilePath(path);
}

// --- slots and panels ---

void PDFEditorWorkspaceView::setSidebar(QWidget* sidebar) {
    delete m_sidebar;
    m_sidebar = sidebar;
    if (sidebar)
        static_cast<QHBoxLayout*>(m_sidebarSlot->layout())->insertWidget(0, sidebar);
    updateSidebarSlot();
}

void PDFEditorWorkspaceView::setAssistantPanel(QWidget* panel) {
    delete m_assistantPanel;
    m_assistantPanel = panel;
    if (panel)
        m_assistantFrame->layout()->addWidget(panel);
}

void PDFEditorWorkspaceView::setShowAssistant(bool show) {
    if (show == m_showAssistant)
        return;
    m_showAssistant = show;
    updateAssistantSlot();
    emit showAssistantChanged(show);
}

void PDFEditorWorkspaceView::setShowThumbnails(bool show) {
    if (show == m_showThumbnails)
        return;
    m_showThumbnails = show;
    updateSidebarSlot();
    emit showThumbnailsChanged(show);
}

void PDFEditorWorkspaceView::setAssistantPanelWidth(int width) {
    m_assistantPanelWidth = std::clamp(width, assistantMinWidth, assistantMaxWidth);
    m_handle->setPanelWidth(m_assistantPanelWidth);
    m_assistantFrame->setFixedWidth(m_assistantPanelWidth);
    if (m_showAssistant)
        m_assistantSlot->setFixedWidth(AssistantResizeHandle::hitWidth + m_assistantPanelWidth);
}

void PDFEditorWorkspaceView::updateSidebarSlot() {
    const bool wanted = m_showThumbnails && m_sidebar && m_document.pdfDocument()->pageCount() > 0;
    if (wanted == !m_sidebarSlot->isHidden())
        return;
    animateWidth(m_sidebarSlot, wanted ? m_sidebarSlot->sizeHint().width() : 0);
}

void PDFEditorWorkspaceView::updateAssistantSlot() {
    // The panel is made when first shown, so that a provider given before then is the one it talks to.
    if (m_showAssistant && !m_assistantPanel)
        setAssistantPanel(new AssistantPanel(
            assistant().shared_from_this(), [this] { setShowThumbnails(!m_showThumbnails); },
            [this] { setShowAssistant(false); }));
    m_assistantFrame->setFixedWidth(m_assistantPanelWidth);
    animateWidth(m_assistantSlot,
                 m_showAssistant ? AssistantResizeHandle::hitWidth + m_assistantPanelWidth : 0);
}

// Panels spring open and shut while the workspace is on screen; before it shows they simply take their
// place, so the first frame is laid out once and for all.
void PDFEditorWorkspaceView::animateWidth(QWidget* slot, int to) {
    delete slot->findChild<QVariantAnimation*>(QString(), Qt::FindDirectChildrenOnly);
    if (!isVisible()) {
        slot->setFixedWidth(to);
        slot->setVisible(to > 0);
        return;
    }
    const int from = slot->isHidden() ? 0 : slot->width();
    slot->setFixedWidth(from);
    slot->show();
    auto* animation = new QVariantAnimation(slot);
    animation->setDuration(panelAnimationMs);
    animation->setEasingCurve(QEasingCurve::OutBack);
    animation->setStartValue(from);
    animation->setEndValue(to);
    connect(animation, &QVariantAnimation::valueChanged, slot,
            [slot](const QVariant& value) { slot->setFixedWidth(std::max(0, value.toInt())); });
    connect(animation, &QVariantAnimation::finished, slot, [slot, to, animation] {
        slot->setFixedWidth(to);
        slot->setVisible(to > 0);
        animation->deleteLater();
    });
    animation->start();
}

// --- the assistant ---

ai::AssistantViewModel& PDFEditorWorkspaceView::assistant() {
    if (!m_assistant) {
        ai::AssistantContext context{m_document.pdfDocument(),
                                     new pdfview::CoordinatorAssistantViewer(*m_coordinator), m_filePath};
        auto source = ai::AssistantSource::pdf(std::move(context));
        m_assistant = m_assistantProvider
                          ? std::make_shared<ai::AssistantViewModel>(std::move(source), m_assistantProvider)
                          : std::make_shared<ai::AssistantViewModel>(std::move(source));
    }
    return *m_assistant;
}

void PDFEditorWorkspaceView::setAssistantProvider(std::shared_ptr<const ai::AIProvider> provider) {
    m_assistantProvider = std::move(provider);
}

// --- the PDF view's callbacks ---

void PDFEditorWorkspaceView::onAskAI(const QString& prompt, bool autoSubmit) {
    setShowAssistant(true);
    emit assistantPromptRequested(prompt, autoSubmit);
}

void PDFEditorWorkspaceView::handleExtractedText(const QString& text) {
    setShowAssistant(true);
    emit assistantTurnRequested(QStringLiteral("Extracted text:\n\n") + text);
}

void PDFEditorWorkspaceView::announceToolSwitch(const QString& message) {
    m_toast->announce(message);
}

} // namespace zepla::ui
