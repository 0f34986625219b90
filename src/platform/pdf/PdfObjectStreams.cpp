// Rewriting a file through qpdf, its encryption kept: packing objects into object streams (MuPDF 1.21 writes
// every object on its own, so files that came with object streams would grow by half or more on every save),
// and rebuilding the structure of a damaged encrypted file, which MuPDF's repair reads but cannot write back
// in a form its password opens.
#include "PdfDocumentImpl.h"

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFWriter.hh>

#include <exception>

namespace zepla::pdf {

Result<QByteArray> rewriteWithQpdf(const QByteArray& bytes, const QByteArray& password,
                                   QpdfObjectStreams objectStreams) {
    try {
        QPDF pdf;
        pdf.setSuppressWarnings(true);
        pdf.processMemoryFile("document", bytes.constData(), size_t(bytes.size()),
                              password.isEmpty() ? nullptr : password.constData());
        QPDFWriter writer(pdf);
        writer.setOutputMemory();
        writer.setPreserveEncryption(true);
        writer.setObjectStreamMode(objectStreams == QpdfObjectStreams::Generate ? qpdf_o_generate
                                                                                : qpdf_o_preserve);
        writer.write();
        const std::shared_ptr<Buffer> written = writer.getBufferSharedPointer();
        return QByteArray(reinterpret_cast<const char*>(written->getBuffer()), qsizetype(written->getSize()));
    } catch (const std::exception& e) {
        return Error{Error::Kind::Failed, QString::fromUtf8(e.what())};
    }
}

} // namespace zepla::pdf
