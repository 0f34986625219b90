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

} // namespace zepla::pdfview
