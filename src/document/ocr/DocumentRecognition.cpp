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
        return finish({});
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
    Outcome outcome;
    outcome.cancelled = true;
    finish(outcome);
}

void DocumentRecognition::pageRecognized(const RecognizedPage& page) {
    if (!m_running)
        return;
    m_results.emplace(page.index, page);
    emit progressed(int(m_results.size()), pageTotal());
    if (m_results.size() == m_snapshots.size())
        applyAll();
}

void DocumentRecognition::applyAll() {
    Outcome outcome;
    if (!m_document)
        return finish(outcome);
    pdf::Document& pdf = *m_document->pdfDocument();
    std::vector<PageOperations::PageReplacement> entries;
    auto fail = [&outcome](const QString& reason) {
        if (outcome.pagesFailed++ == 0)
            outcome.firstError = reason;
    };
    for (const auto& [index, page] : m_results) {
        if (!page.recognition.ok()) {
            fail(page.recognition.error->message);
            continue;
        }
        auto flattened = OCRTextLayerApplier::flatten(pdf, page);
        if (!flattened)
            fail(flattened.error().message);
        else if (flattened.value())
            entries.push_back(*flattened.value());
    }
    outcome.pagesWithTextLayer = int(entries.size());
    OCRTextLayerApplier::replace(*m_document, std::move(entries), m_undoManager.data());
    finish(outcome);
}

void DocumentRecognition::finish(const Outcome& outcome) {
    m_running = false;
    emit finished(outcome);
}

} // namespace zepla::document
