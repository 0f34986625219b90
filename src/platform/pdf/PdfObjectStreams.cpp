// Rewriting a file through qpdf, its encryption kept: packing objects into object streams (MuPDF 1.21 writes
// every object on its own, so files that came with object streams would grow by half or more on every save),
// and rebuilding the structure of a damaged encrypted file, which MuPDF's repair reads but cannot write back
// in a form its password opens. qpdf lives in a module beside this library, loaded the first time it is
// needed.
#include "PdfDocumentImpl.h"
#include "QpdfRewrite.h"

#include <QFile>
#include <QFileInfo>

#include <dlfcn.h>

namespace zepla::pdf {

namespace {

struct QpdfModule {
    QpdfRewriteFunction rewrite = nullptr;
    QString problem; // why it could not be loaded
};

QpdfModule loadQpdfModule() {
    QpdfModule module;
    Dl_info self{};
    if (!dladdr(reinterpret_cast<void*>(&rewriteWithQpdf), &self) || !self.dli_fname) {
        module.problem = QStringLiteral("The PDF library cannot find its own folder.");
        return module;
    }
    const QString path = QFileInfo(QString::fromLocal8Bit(self.dli_fname)).absolutePath() +
                         QStringLiteral("/libzepla_pdf_qpdf.so");
    void* handle = dlopen(QFile::encodeName(path).constData(), RTLD_NOW | RTLD_LOCAL);
    if (handle)
        module.rewrite = reinterpret_cast<QpdfRewriteFunction>(dlsym(handle, "zeplaQpdfRewrite"));
    if (!module.rewrite)
        module.problem =
            QStringLiteral("qpdf could not be loaded: %1").arg(QString::fromLocal8Bit(dlerror()));
    return module;
}

} // namespace

Result<QByteArray> rewriteWithQpdf(const QByteArray& bytes, const QByteArray& password,
                                   QpdfObjectStreams objectStreams) {
    static const QpdfModule module = loadQpdfModule();
    if (!module.rewrite)
        return Error{Error::Kind::Failed, module.problem};
    QByteArray written;
    QString error;
    if (!module.rewrite(bytes, password, objectStreams == QpdfObjectStreams::Generate, written, error))
        return Error{Error::Kind::Failed, error};
    return written;
}

} // namespace zepla::pdf
