// The workspace's text recognition of the whole document, asked for by the sidebar's page tools: every page
// without text recognised in the background with progress (pages done of all) and Cancel, the text layers
// added as they are ready and registered as one undo step, and the outcome told in the sidebar's alert.
// Cancelling keeps the pages done so far, as that one step.
#include "ui/workspace/PDFEditorWorkspaceView.h"

#include "core/UndoManager.h"
#include "document/ocr/DocumentRecognition.h"
#include "document/ocr/OCRTextLayerApplier.h"
#include "pdfview/coordinator/PDFViewCoordinator.h"
#include "pdfview/view/PDFView.h"
#include "ui/sidebar/ThumbnailSidebar.h"
#include "ui/workspace/WorkProgress.h"

namespace zepla::ui {

namespace {

QString pages(int count) {
    return QString::number(count) + (count == 1 ? QStringLiteral(" page") : QStringLiteral(" pages"));
}

PageAlert completion(const document::DocumentRecognition::Outcome& outcome) {
    QString message = QStringLiteral("Added a searchable text layer to ") +
                      pages(outcome.pagesWithTextLayer) + QLatin1Char('.');
    if (outcome.pagesFailed > 0)
        message += QLatin1Char(' ') + pages(outcome.pagesFailed) +
                   QStringLiteral(" could not be recognized and stayed as they were: ") + outcome.firstError;
    return {QStringLiteral("Recognition Complete"), message};
}

QString progressText(int done, int total) {
    return QStringLiteral("Recognizing text: %1 of ").arg(done) + pages(total) + QStringLiteral(" done");
}

} // namespace

void PDFEditorWorkspaceView::recognizeDocumentText() {
    auto* sidebar = qobject_cast<ThumbnailSidebar*>(m_sidebar.data());
    if (m_documentRecognition)
        return;
    if (document::OCRTextLayerApplier::pagesNeedingOCR(*m_document.pdfDocument()).empty()) {
        if (sidebar)
            sidebar->showAlert({QStringLiteral("Nothing to Recognize"),
                                QStringLiteral("Every page already has a text layer.")});
        return;
    }
    auto* run = new document::DocumentRecognition(m_document, &m_undoManager, this);
    QProgressDialog* progress =
        makeWorkProgress(this, QStringLiteral("Recognize Text"), progressText(0, 0), 0);
    m_documentRecognition = run;
    m_documentRecognitionProgress = progress;

    connect(progress, &QProgressDialog::canceled, run, &document::DocumentRecognition::cancel);
    connect(run, &document::DocumentRecognition::progressed, progress, [progress](int done, int total) {
        showWorkProgress(*progress, progressText(done, total), done, total);
    });
    const QPointer<ThumbnailSidebar> host(sidebar);
    connect(run, &document::DocumentRecognition::finished, this,
            [this, run, progress, host](const document::DocumentRecognition::Outcome& outcome) {
                progress->disconnect(run);
                progress->close();
                run->deleteLater();
                if (host)
                    host->setDocumentOCRRunning(false);
                // Pages swapped in before a Cancel stay, so the view is laid out again either way.
                if (pdfview::PDFView* view = m_coordinator->pdfView())
                    view->layoutDocumentView();
                if (outcome.cancelled)
                    return;
                if (host)
                    host->showAlert(completion(outcome));
            });
    if (sidebar)
        sidebar->setDocumentOCRRunning(true);
    progress->show();
    run->start();
}

} // namespace zepla::ui
