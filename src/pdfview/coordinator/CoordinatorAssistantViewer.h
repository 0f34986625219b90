// The window's PDF view as the assistant's tools see it, reached through the window's coordinator so the
// tools follow whichever view the coordinator holds.
#pragma once

#include "tools/AssistantSource.h"

#include <QPointer>

namespace zepla::pdfview {

class AnnotatingPDFView;
class PDFViewCoordinator;

class CoordinatorAssistantViewer : public ai::AssistantViewer {
    Q_OBJECT

public:
    // Lives as long as the coordinator, which owns it.
    explicit CoordinatorAssistantViewer(PDFViewCoordinator& coordinator);

    bool hasView() const override;
    std::optional<int> currentPageIndex() const override;
    void goToPage(int pageIndex) override;
    QString selectionText() const override;
    bool addNote(const QString& text, int pageIndex) override;

private:
    AnnotatingPDFView* annotatingView() const;

    QPointer<PDFViewCoordinator> m_coordinator;
};

// Puts a sticky note holding `text` 20 points inside the top-right corner of the page's visible box, in
// the tool state's colour, undoable; no editor opens.
bool addProgrammaticNote(AnnotatingPDFView& view, const QString& text, int pageIndex);

} // namespace zepla::pdfview
