#include "ui/window/ContentView.h"

#include "document/PDFEditorDocument.h"
#include "ui/landing/LandingView.h"
#include "ui/passwords/UnlockDocumentView.h"
#include "ui/workspace/PDFEditorWorkspaceView.h"

#include <QTimer>
#include <QVBoxLayout>

namespace zepla::ui {

ContentView::ContentView(document::PDFEditorDocument& document, platform::UndoManager& undoManager,
                         const QString& filePath, QWidget* parent)
    : QWidget(parent), m_document(document), m_undoManager(undoManager), m_filePath(filePath) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    // Several announcements in one turn (a replaced PDF and its flag, an unlock from inside the unlock view)
    // lead to one change of content, made once the turn is over.
    connect(&m_document, &document::PDFEditorDocument::changed, this, &ContentView::scheduleRefresh);
    refresh();
}

PDFEditorWorkspaceView* ContentView::workspace() const {
    return m_content == Content::workspace ? static_cast<PDFEditorWorkspaceView*>(m_current.data()) : nullptr;
}

void ContentView::toggleSidebar() {
    if (PDFEditorWorkspaceView* shown = workspace())
        shown->setShowThumbnails(!shown->showThumbnails());
}

void ContentView::setFilePath(const QString& path) {
    m_filePath = path;
    if (PDFEditorWorkspaceView* shown = workspace())
        shown->setFilePath(path);
}

void ContentView::toggleAssistant() {
    if (PDFEditorWorkspaceView* shown = workspace())
        shown->setShowAssistant(!shown->showAssistant());
}

ContentView::Content ContentView::wantedContent() const {
    const auto& pdf = m_document.pdfDocument();
    if (pdf->isLocked())
        return Content::unlock;
    return pdf->pageCount() > 0 ? Content::workspace : Content::landing;
}

void ContentView::scheduleRefresh() {
    if (m_refreshScheduled)
        return;
    m_refreshScheduled = true;
    QTimer::singleShot(0, this, [this] {
        m_refreshScheduled = false;
        refresh();
    });
}

void ContentView::refresh() {
    const Content wanted = wantedContent();
    const quint64 pdf = m_document.pdfDocument()->serial();
    if (m_current && wanted == m_content && (wanted != Content::workspace || pdf == m_shownPdf))
        return;
    QWidget* next = nullptr;
    switch (wanted) {
    case Content::unlock:
        next = new UnlockDocumentView(m_document, this);
        break;
    case Content::workspace:
        next = new PDFEditorWorkspaceView(m_document, m_undoManager, m_toolState, m_filePath, this);
        connect(static_cast<PDFEditorWorkspaceView*>(next), &PDFEditorWorkspaceView::settingsRequested, this,
                &ContentView::settingsRequested);
        m_shownPdf = pdf;
        break;
    case Content::landing:
        next = new LandingView([this](const QString& path) { emit openInPlaceRequested(path); }, this);
        break;
    }
    if (m_current) {
        layout()->removeWidget(m_current);
        m_current->hide();
        m_current->deleteLater();
    }
    m_content = wanted;
    m_current = next;
    layout()->addWidget(next);
    next->show();
}

} // namespace zepla::ui
