// OCR of a whole document: every page without text recognised and made ready in parallel on the workers,
// each rebuilt page swapped in on the UI thread as soon as it is ready (a quick swap: nothing is drawn or
// compressed there), with progress. The pages swapped in form one undo step, registered when the run ends;
// cancelling stops the workers and keeps the pages already swapped in, as that one step.
#pragma once

#include "PageRecognition.h"
#include "core/UndoManager.h"
#include "document/PDFEditorDocument.h"
#include "document/pages/PageOperations.h"

#include <QObject>
#include <QPointer>

#include <vector>

namespace zepla::document {

class DocumentRecognition : public QObject {
    Q_OBJECT

public:
    struct Outcome {
        int pagesWithTextLayer = 0; // pages that received a text layer
        int pagesFailed = 0;        // pages left unchanged because recognition or rebuilding failed
        QString firstError;         // the reason of the first failure
        bool cancelled = false;
    };

    DocumentRecognition(PDFEditorDocument& document, platform::UndoManager* undoManager,
                        QObject* parent = nullptr);
    ~DocumentRecognition() override;

    // Starts recognising the pages that need OCR; `finished` follows, at once when there are none.
    void start();
    // Stops the run; `finished` comes at once with `cancelled` set, and no further page changes.
    void cancel();
    bool isRunning() const { return m_running; }
    int pageTotal() const { return int(m_snapshots.size()); }

signals:
    void progressed(int pagesDone, int pageTotal);
    void finished(const zepla::document::DocumentRecognition::Outcome& outcome);

private:
    void pageRecognized(const RecognizedPage& page);
    void swapIn(const RecognizedPage& page);
    void finish();

    QPointer<PDFEditorDocument> m_document;
    QPointer<platform::UndoManager> m_undoManager;
    std::vector<PageSnapshot> m_snapshots;
    int m_pagesDone = 0;
    std::vector<PageOperations::PageReplacement> m_swapped;
    Outcome m_outcome;
    std::shared_ptr<std::atomic<bool>> m_cancel = std::make_shared<std::atomic<bool>>(false);
    bool m_running = false;
};

} // namespace zepla::document
