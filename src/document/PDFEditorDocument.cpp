#include "document/PDFEditorDocument.h"

namespace zepla::document {

namespace {

// A file whose page tree is gone (cut off, or repaired into nothing) would open as an empty window that
// looks like the landing: it is damaged, and says so. A locked file shows its pages once unlocked.
bool hasReadablePages(const pdf::Document& pdf) {
    if (pdf.isLocked())
        return true;
    const int count = pdf.pageCount();
    return count > 0 && !pdf.page(0).isNull() && !pdf.page(count - 1).isNull();
}

// Often enough that pages swapped in appear as they come, seldom enough that the views' work per
// announcement stays a small part of the UI thread's time.
constexpr int changeSoonIntervalMs = 100;

} // namespace

PDFEditorDocument::PDFEditorDocument(QObject* parent) : QObject(parent), m_pdf(pdf::Document::createEmpty()) {
    // A child, so that it moves with the document to the thread that uses it (it may be read on another).
    m_changeSoon.setParent(this);
    m_changeSoon.setSingleShot(true);
    m_changeSoon.setInterval(changeSoonIntervalMs);
    connect(&m_changeSoon, &QTimer::timeout, this, &PDFEditorDocument::changed);
}

DocumentResult<std::unique_ptr<PDFEditorDocument>> PDFEditorDocument::read(const QByteArray& bytes) {
    return fromOpened(pdf::Document::open(bytes));
}

DocumentResult<std::unique_ptr<PDFEditorDocument>> PDFEditorDocument::readFile(const QString& path) {
    return fromOpened(pdf::Document::openFile(path));
}

DocumentResult<std::unique_ptr<PDFEditorDocument>>
PDFEditorDocument::fromOpened(pdf::Result<std::shared_ptr<pdf::Document>> opened) {
    const DocumentError damaged{
        DocumentError::Code::fileReadCorruptFile,
        QStringLiteral("The file could not be opened because it is not a PDF document or "
                       "it is damaged.")};
    // A protected file whose pages are lost for good says why: no password or tool brings them back.
    if (!opened && opened.error().kind == pdf::Error::Kind::Undecryptable)
        return DocumentError{DocumentError::Code::fileReadCorruptFile, opened.error().message};
    // A file that is there but cannot be read (no permission, say) says why.
    if (!opened && opened.error().kind == pdf::Error::Kind::Failed)
        return DocumentError{DocumentError::Code::fileReadCorruptFile, opened.error().message};
    if (!opened || !hasReadablePages(*opened.value()))
        return damaged;
    auto document = std::make_unique<PDFEditorDocument>();
    document->m_pdf = opened.value();
    // A protected file too damaged for its password counts as protected: its unprotected copy is the one
    // way to keep what it shows.
    document->m_wasPasswordProtected = document->m_pdf->isLocked() || document->m_pdf->isProtectionDamaged();
    return document;
}

void PDFEditorDocument::setPdfDocument(std::shared_ptr<pdf::Document> pdf) {
    m_pdf = std::move(pdf);
    emit pdfDocumentReplaced();
    emit changed();
}

void PDFEditorDocument::setWasPasswordProtected(bool value) {
    if (value == m_wasPasswordProtected)
        return;
    m_wasPasswordProtected = value;
    emit wasPasswordProtectedChanged(value);
    emit changed();
}

std::function<DocumentResult<QByteArray>()> PDFEditorDocument::snapshotWriter() const {
    return [pdf = m_pdf]() -> DocumentResult<QByteArray> {
        if (pdf->isLocked())
            return pdf->originalBytes();
        // The reason alone: whoever shows it says what failed.
        auto bytes = pdf->save();
        if (!bytes)
            return DocumentError{DocumentError::Code::fileWriteUnknown, bytes.error().message};
        return bytes.value();
    };
}

void PDFEditorDocument::announceChange() {
    m_changeSoon.stop();
    emit changed();
}

void PDFEditorDocument::announceChangeSoon() {
    if (!m_changeSoon.isActive())
        m_changeSoon.start();
}

void PDFEditorDocument::announceEditWithoutUndo() {
    emit editedWithoutUndo();
}

} // namespace zepla::document
