#include "PdfReflow.h"

#include "PdfContext.h"
#include "PdfOutput.h"

namespace zepla::pdf {

namespace {

// Owns what a conversion opens, so every exit drops it.
struct Reflow {
    fz_context* ctx;
    fz_document* book = nullptr;
    QByteArray bytes;            // what the writer writes
    fz_output* output = nullptr; // until the writer takes it over
    fz_document_writer* writer = nullptr;
    fz_page* page = nullptr;
    ~Reflow() {
        fz_drop_page(ctx, page);
        fz_drop_document_writer(ctx, writer);
        fz_drop_output(ctx, output);
        fz_drop_document(ctx, book);
    }
};

} // namespace

Result<QByteArray> reflowableToPdf(const QString& path, const QSizeF& pageSize, double fontSize,
                                   const std::atomic<bool>* cancelled) {
    Reflow r{threadContext()};
    fz_context* ctx = r.ctx;
    const QByteArray file = path.toLocal8Bit();
    int pages = 0;
    Status opened = guarded(
        ctx,
        [&] {
            r.book = fz_open_document(ctx, file.constData());
            fz_layout_document(ctx, r.book, float(pageSize.width()), float(pageSize.height()),
                               float(fontSize));
            pages = fz_count_pages(ctx, r.book);
            r.output = newOutputInto(ctx, r.bytes);
            r.writer = fz_new_pdf_writer_with_output(ctx, r.output, nullptr);
            r.output = nullptr; // the writer owns it now
        },
        Error::Kind::Damaged);
    if (!opened)
        return Error{Error::Kind::Damaged,
                     QStringLiteral("The book could not be read (%1).").arg(opened.error().message)};
    if (pages <= 0)
        return Error{Error::Kind::Damaged, QStringLiteral("The book has no pages.")};
    for (int index = 0; index < pages; ++index) {
        if (cancelled && cancelled->load())
            return Error{Error::Kind::Failed, QStringLiteral("The conversion was cancelled.")};
        Status written = guarded(ctx, [&] {
            r.page = fz_load_page(ctx, r.book, index);
            fz_device* device = fz_begin_page(ctx, r.writer, fz_bound_page(ctx, r.page));
            fz_run_page(ctx, r.page, device, fz_identity, nullptr);
            fz_end_page(ctx, r.writer);
            fz_drop_page(ctx, r.page);
            r.page = nullptr;
        });
        if (!written)
            return Error{Error::Kind::Damaged,
                         QStringLiteral("Page %1 of the book could not be laid out (%2).")
                             .arg(index + 1)
                             .arg(written.error().message)};
    }
    Status closed = guarded(ctx, [&] { fz_close_document_writer(ctx, r.writer); });
    if (!closed)
        return closed.error();
    return std::move(r.bytes);
}

} // namespace zepla::pdf
