#include "document/PDFEditorDocument.h"

namespace zepla::document {

PDFEditorDocument::PDFEditorDocument(QObject* parent) : QObject(parent), m_pdf(pdf::Document::createEmpty()) {}

DocumentResult<std::unique_ptr<PDFEditorDocument>> PDFEditorDocument::read(const QByteArray& bytes) {
    auto opened = pdf::Document::open(bytes);
    if (!opened)
        return DocumentError{DocumentError::Code::fileReadCorruptFile,
                             QStringLiteral("The file could not be opened because it is not a PDF document or "
                                            "it is damaged.")};
    auto document = std::make_unique<PDFEditorDocument>();
    document->m_pdf = opened.value();
    document->m_wasPasswordProtected = document->m_pdf->isLocked();
    if (document->m_wasPasswordProtected)
        document->m_lockedBytes = bytes;
    return document;
}

void PDFEditorDocument::setPdfDocument(std::shared_ptr<pdf::Document> pdf) {
    m_pdf = std::move(pdf);
    m_lockedBytes.clear();
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

DocumentResult<QByteArray> PDFEditorDocument::snapshot() const {
    if (m_pdf->isLocked() && !m_lockedBytes.isEmpty())
        return m_lockedBytes;
    auto bytes = m_pdf->save();
    if (!bytes)
        return DocumentError{DocumentError::Code::fileWriteUnknown,
                             QStringLiteral("The document could not be saved. %1").arg(bytes.error().message)};
    return bytes.value();
}

void PDFEditorDocument::announceChange() { emit changed(); }

} // namespace zepla::document
