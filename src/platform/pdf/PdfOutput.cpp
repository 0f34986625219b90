#include "PdfOutput.h"

#include <new>

namespace zepla::pdf {

namespace {

void appendBytes(fz_context* ctx, void* state, const void* data, size_t size) {
    bool appended = true;
    try {
        static_cast<QByteArray*>(state)->append(static_cast<const char*>(data), qsizetype(size));
    } catch (const std::bad_alloc&) {
        appended = false;
    }
    // Thrown outside the catch block: MuPDF's error leaves this frame with longjmp.
    if (!appended)
        fz_throw(ctx, FZ_ERROR_MEMORY, "out of memory while writing the file");
}

int64_t tellBytes(fz_context*, void* state) {
    return static_cast<QByteArray*>(state)->size();
}

} // namespace

fz_output* newOutputInto(fz_context* ctx, QByteArray& bytes) {
    // MuPDF's own buffer gathers the many small writes of an object into fewer appends.
    fz_output* out = fz_new_output(ctx, 16 * 1024, &bytes, appendBytes, nullptr, nullptr);
    out->tell = tellBytes;
    return out;
}

} // namespace zepla::pdf
