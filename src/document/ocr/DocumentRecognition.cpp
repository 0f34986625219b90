#include "DocumentRecognition.h"

#include "OCRTextLayerApplier.h"

namespace zepla::document {

DocumentRecognition::DocumentRecognition(PDFEditorDocument& document, platform::UndoManager* undoManager,
                                         QObject* parent)
    : QObject(parent), m_document(&document), m_undoManager(undoManager) {}

DocumentRecognition::~DocumentRecognition() {
    m_cancel->store(true);
}

void DocumentRecognition::start() {
    if (m_running || !m_document)
        return;
    const pdf::Document& pdf = *m_document->pdfDocument();
    for (int index : OCRTextLayerApplier::pagesNeedingOCR(pdf)) {
        if (auto snapshot = snapshotPage(pdf, index))
            m_snapshots.push_back(*snapshot);
    }
    if (m_snapshots.empty())
        return finish();
    m_running = true;
    emit progressed(0, pageTotal());
    for (const PageSnapshot& snapshot : m_snapshots)
        recognizeInBackground(snapshot, true, m_cancel, this,
                              [this](const RecognizedPage& page) { pageRecognized(page); });
}

void DocumentRecognition::cancel() {
    if (!m_running)
        return;
    m_cancel->store(true);
    m_outcome.cancelled = true;
    finish();
}

void DocumentRecognition::pageRecognized(const RecognizedPage& page) {
    if (!m_running)
        return;
    swapIn(page);
    emit progressed(++m_pagesDone, pageTotal());
    // A receiver of the progress may have cancelled the run already.
    if (m_running && m_pagesDone == pageTotal())
        finish();
}

void DocumentRecognition::swapIn(const RecognizedPage& page) {
    auto fail = [this](const QString& reason) {
        if (m_outcome.pagesFailed++ == 0)
            m_outcome.firstError = reason;
    };
    if (!m_document)
        return;
    if (!page.recognition.ok())
        return fail(page.recognition.error().message);
    auto flattened = OCRTextLayerApplier::flatten(*m_document->pdfDocument(), page);
    if (!flattened)
        return fail(flattened.error().message);
    if (!flattened.value())
        return;
    m_swapped.push_back(*flattened.value());
    PageOperations::announceReplacedPage(*m_document);
}

void DocumentRecognition::finish() {
    m_running = false;
    m_outcome.pagesWithTextLayer = int(m_swapped.size());
    if (m_document)
        OCRTextLayerApplier::replace(*m_document, std::move(m_swapped), m_undoManager.data());
    m_swapped.clear();
    emit finished(m_outcome);
}

} // namespace zepla::document
