// The workspace's redaction, run each time a redaction mark is finished: every pending mark burnt in, the
// pages drawn in the background with progress and Cancel, and what was done told in a short message.
#include "ui/workspace/PDFEditorWorkspaceView.h"

#include "core/UndoManager.h"
#include "core/Wording.h"
#include "pdfview/coordinator/PDFViewCoordinator.h"
#include "pdfview/view/PDFView.h"
#include "ui/workspace/ToolSwitchToast.h"
#include "ui/workspace/WorkProgress.h"

#include <QTimer>

namespace zepla::ui {

namespace {

// A redaction of a few pages ends before this; the progress shows only for longer ones.
constexpr int redactionProgressDelayMs = 500;

QString progressText(int done, int total) {
    return QStringLiteral("Redacting: %1 of %2 %3 done")
        .arg(done)
        .arg(total)
        .arg(total == 1 ? QStringLiteral("page") : QStringLiteral("pages"));
}

} // namespace

void PDFEditorWorkspaceView::confirmApplyRedactions() {
    if (m_redactionApplier)
        return redactionFinished(m_redactionApplier(m_document, m_undoManager));
    if (m_redactionRun) {
        m_redactAgain = true;
        return;
    }
    auto* run = new pdfview::RedactionRun(m_document, &m_undoManager, this);
    QProgressDialog* progress =
        makeWorkProgress(this, QStringLiteral("Redact"), progressText(0, 0), redactionProgressDelayMs);
    m_redactionRun = run;
    m_redactionProgress = progress;
    // The mark just drawn and its burning in stay one undo step, however many turns the drawing takes.
    std::shared_ptr<void> undoStep = m_undoManager.holdStep();
    connect(progress, &QProgressDialog::canceled, run, &pdfview::RedactionRun::cancel);
    connect(run, &pdfview::RedactionRun::progressed, progress, [progress](int done, int total) {
        showWorkProgress(*progress, progressText(done, total), done, total);
    });
    connect(run, &pdfview::RedactionRun::finished, this,
            [this, run, progress, undoStep](const pdfview::RedactionOutcome& outcome) mutable {
                progress->disconnect(run);
                progress->close();
                run->deleteLater();
                m_redactionRun = nullptr;
                undoStep.reset();
                redactionFinished(outcome);
                // On a later turn, so that the next run is an undo step of its own.
                if (std::exchange(m_redactAgain, false))
                    QTimer::singleShot(0, this, &PDFEditorWorkspaceView::confirmApplyRedactions);
            });
    run->start();
}

void PDFEditorWorkspaceView::redactionFinished(const pdfview::RedactionOutcome& outcome) {
    if (pdfview::PDFView* view = m_coordinator->pdfView())
        view->layoutDocumentView();
    // Only a redaction that burnt something in may say so: a claim of removed text that is still there
    // would be worse than no message. Pages that could not be redacted are named as such.
    QStringList message;
    if (outcome.pagesRedacted > 0)
        message << platform::adaptWording(
            QStringLiteral("Redacted — text is now permanently removed. ⌘Z to undo"));
    if (outcome.pagesFailed > 0)
        message << (outcome.pagesFailed == 1
                        ? QStringLiteral("1 page could not be redacted")
                        : QStringLiteral("%1 pages could not be redacted").arg(outcome.pagesFailed));
    announceToolSwitch(message.isEmpty() ? QStringLiteral("Nothing was redacted")
                                         : message.join(QStringLiteral(". ")));
}

} // namespace zepla::ui
