// Streams whose /Length lies. A reader takes a stream's data as /Length bytes after "stream"; other readers
// show a page whose content stream claims a few bytes too many or a length that is no number, but MuPDF,
// reading such a stream to write it, may take none of its data. The data of such a stream ends where its
// "endstream" stands, and its length is set to that before the document is written, where the data then
// decodes.
#include "PdfDocumentImpl.h"
#include "PdfRawObject.h"

namespace zepla::pdf {

namespace {

// Whether `file` at `at`, after white space, holds the "endstream" that closes a stream.
bool endsThere(const QByteArray& file, std::int64_t at) {
    if (at < 0 || at > file.size())
        return false;
    qsizetype i = qsizetype(at);
    while (i < file.size() && raw::isSpace(file[i]))
        ++i;
    return QByteArrayView(file).sliced(i).startsWith("endstream");
}

// The length of the data of a stream that starts at `start`: up to its "endstream", without the end of line
// that stands before it. -1 when no "endstream" follows before the end of the object.
std::int64_t lengthToEndstream(const QByteArray& file, std::int64_t start) {
    const qsizetype end = file.indexOf("endstream", qsizetype(start));
    const qsizetype object = file.indexOf("endobj", qsizetype(start));
    if (end < 0 || (object >= 0 && object < end))
        return -1;
    qsizetype data = end;
    if (data > start && file[data - 1] == '\n')
        --data;
    if (data > start && file[data - 1] == '\r')
        --data;
    return data - start;
}

// Whether stream `number` decodes to its end without a filter rejecting its data. MuPDF's reads end quietly
// at such data, marking the stream.
bool decodesWhole(fz_context* ctx, pdf_document* doc, int number) {
    fz_stream* stream = nullptr;
    bool broken = false;
    const Status read = guarded(ctx, [&] {
        stream = pdf_open_stream_number(ctx, doc, number);
        while (fz_skip(ctx, stream, 1 << 16) > 0) {
        }
        broken = stream->error != 0;
    });
    fz_drop_stream(ctx, stream);
    return read && !broken;
}

} // namespace

void mendStreamLengths(fz_context* ctx, pdf_document* doc, const QByteArray& file) {
    int objects = 0;
    guarded(ctx, [&] { objects = pdf_xref_len(ctx, doc); });
    for (int number = 1; number < objects; ++number) {
        pdf_obj* object = nullptr;
        std::int64_t start = -1, length = 0;
        const Status read = guarded(ctx, [&] {
            if (pdf_get_xref_entry_no_null(ctx, doc, number)->type != 'n')
                return;
            object = pdf_load_object(ctx, doc, number);
            const pdf_xref_entry* entry = pdf_get_xref_entry_no_null(ctx, doc, number);
            // Streams written anew live in memory; only those the file holds have a place in it.
            if (!pdf_obj_num_is_stream(ctx, doc, number) || entry->stm_buf || entry->stm_ofs <= 0)
                return;
            start = entry->stm_ofs;
            pdf_obj* given = pdf_dict_get(ctx, object, PDF_NAME(Length));
            length = pdf_is_number(ctx, pdf_resolve_indirect(ctx, given)) ? pdf_to_int64(ctx, given) : -1;
        });
        const std::int64_t found = read && start > 0 && !(length >= 0 && endsThere(file, start + length))
                                       ? lengthToEndstream(file, start)
                                       : -1;
        // The length found stays only where the data then decodes: a stream it does not mend keeps its own.
        pdf_obj* own = nullptr;
        if (found >= 0 &&
            guarded(ctx,
                    [&] {
                        own = pdf_keep_obj(ctx, pdf_dict_get(ctx, object, PDF_NAME(Length)));
                        pdf_dict_put_int(ctx, object, PDF_NAME(Length), found);
                    }) &&
            !decodesWhole(ctx, doc, number))
            guarded(ctx, [&] { pdf_dict_put(ctx, object, PDF_NAME(Length), own); });
        pdf_drop_obj(ctx, own);
        pdf_drop_obj(ctx, object);
    }
}

} // namespace zepla::pdf
