#include "PdfContext.h"
#include "PdfStore.h"

#include <array>
#include <mutex>

namespace zepla::pdf {

namespace {

std::array<std::mutex, FZ_LOCK_MAX> g_locks;

void lockMutex(void*, int lock) {
    g_locks[lock].lock();
}
void unlockMutex(void*, int lock) {
    g_locks[lock].unlock();
}

// What MuPDF keeps for reuse (decoded pictures, fonts, parsed objects) across every document. Its default of
// 256 MB fills up as a long document is read, page after page, though a page's drawing needs its own
// pictures only while its tiles are drawn; this holds a few pages' worth of large pictures.
constexpr size_t storeBytes = 64 << 20;

// MuPDF would print warnings about damaged files to stderr; the user hears of real failures through errors.
void quiet(void*, const char*) {}

fz_context* makeBaseContext() {
    static fz_locks_context locks{nullptr, lockMutex, unlockMutex};
    fz_context* ctx = fz_new_context(nullptr, &locks, storeBytes);
    fz_set_warning_callback(ctx, quiet, nullptr);
    fz_set_error_callback(ctx, quiet, nullptr);
    fz_register_document_handlers(ctx);
    return ctx;
}

fz_context* baseContext() {
    // Never dropped: clones on other threads may outlive any static destruction order we could pick.
    static fz_context* base = makeBaseContext();
    return base;
}

struct ThreadContext {
    fz_context* ctx = fz_clone_context(baseContext());
    ~ThreadContext() { fz_drop_context(ctx); }
};

} // namespace

fz_context* threadContext() {
    thread_local ThreadContext context;
    return context.ctx;
}

void emptyStore() {
    fz_context* ctx = threadContext();
    // Cached glyphs hold on to their fonts, a closed document's embedded fonts among them.
    fz_purge_glyph_cache(ctx);
    fz_empty_store(ctx);
}

Error caughtError(fz_context* ctx, Error::Kind kind) {
    return Error{kind, QString::fromUtf8(fz_caught_message(ctx))};
}

} // namespace zepla::pdf
