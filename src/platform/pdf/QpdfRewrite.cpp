// qpdf's side of the rewrite, built as a module of its own: qpdf and the cryptography it brings cost every
// process a few milliseconds to load, and most processes never rewrite a file. PdfObjectStreams.cpp loads it
// on first use.
#include "QpdfRewrite.h"

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFWriter.hh>

#include <exception>

extern "C" bool zeplaQpdfRewrite(const QByteArray& bytes, const QByteArray& password,
                                 bool generateObjectStreams, QByteArray& written, QString& error) {
    try {
        QPDF pdf;
        pdf.setSuppressWarnings(true);
        pdf.processMemoryFile("document", bytes.constData(), size_t(bytes.size()),
                              password.isEmpty() ? nullptr : password.constData());
        QPDFWriter writer(pdf);
        writer.setOutputMemory();
        writer.setPreserveEncryption(true);
        writer.setObjectStreamMode(generateObjectStreams ? qpdf_o_generate : qpdf_o_preserve);
        writer.write();
        const std::shared_ptr<Buffer> buffer = writer.getBufferSharedPointer();
        written =
            QByteArray(reinterpret_cast<const char*>(buffer->getBuffer()), qsizetype(buffer->getSize()));
        return true;
    } catch (const std::exception& e) {
        error = QString::fromUtf8(e.what());
        return false;
    }
}
