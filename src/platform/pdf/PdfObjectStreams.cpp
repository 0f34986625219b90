// Packing a written file into object streams through qpdf: MuPDF 1.21 writes every object on its own, so
// files that came with object streams would grow by half or more on every save.
#include "PdfDocumentImpl.h"

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFWriter.hh>

#include <exception>

namespace zepla::pdf {

Result<QByteArray> packObjectStreams(const QByteArray& bytes, const QByteArray& password) {
    try {
        QPDF pdf;
        pdf.setSuppressWarnings(true);
        pdf.processMemoryFile("saved document", bytes.constData(), size_t(bytes.size()),
                              password.isEmpty() ? nullptr : password.constData());
        QPDFWriter writer(pdf);
        writer.setOutputMemory();
        writer.setPreserveEncryption(true);
        writer.setObjectStreamMode(qpdf_o_generate);
        writer.write();
        const std::shared_ptr<Buffer> packed = writer.getBufferSharedPointer();
        return QByteArray(reinterpret_cast<const char*>(packed->getBuffer()), qsizetype(packed->getSize()));
    } catch (const std::exception& e) {
        return Error{Error::Kind::Failed, QString::fromUtf8(e.what())};
    }
}

} // namespace zepla::pdf
