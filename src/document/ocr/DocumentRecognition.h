// OCR of a whole document: every page without text recognised in parallel, with progress, and the rebuilt
// pages swapped in page order on the UI thread as one undo step when all are done. Cancelling stops the
// workers and changes nothing.
#pragma once

#include "PageRecognition.h"
#include "core/UndoManager.h"
#include "document/PDFEditorDocument.h"

#include <QObject>
#include <QPointer>

#include <map>

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
    // Stops the run; `finished` comes at once with `cancelled` set, and no page changes.
    void cancel();
    bool isRunning() const { return m_running; }
    int pageTotal() const { return int(m_snapshots.size()); }

signals:
    void progressed(int pagesDone, int pageTotal);
    void finished(const zepla::document::DocumentRecognition::Outcome& outcome);

private:
    void pageRecognized(const RecognizedPage& page);
    void applyAll();
    void finish(const Outcome& outcome);

    QPointer<PDFEditorDocument> m_document;
    QPointer<platform::UndoManager> m_undoManager;
    std::vector<PageSnapshot> m_snapshots;
    std::map<int, RecognizedPage> m_results; // by page index, so they are applied in page order
    std::shared_ptr<std::atomic<bool>> m_cancel = std::make_shared<std::atomic<bool>>(false);
    bool m_running = false;
};

} // namespace zepla::document
