// The MuPDF context of this process and of each thread, and the one place MuPDF errors become C++ values.
//
// Threads: one base context owns the locks; every thread (the UI thread included) works with its own clone,
// made on first use and dropped when the thread ends. Objects of one document may be touched by one thread
// at a time only: `Document` serialises its calls with a lock of its own, and rendering on workers runs
// display lists, which are independent of their document.
#pragma once

#include "PdfError.h"

extern "C" {
#include <mupdf/fitz.h>
#include <mupdf/pdf.h>
}

#include <utility>

namespace zepla::pdf {

// The calling thread's context.
fz_context* threadContext();

// The error MuPDF just raised in `ctx` (call from an fz_catch block only).
Error caughtError(fz_context* ctx, Error::Kind kind = Error::Kind::Failed);

// Runs `body` under fz_try and reports MuPDF's error as a value. `body` must hold only plain MuPDF calls and
// trivially destructible locals: a MuPDF error unwinds with longjmp and skips C++ destructors.
template <class Body> [[gnu::noinline]] Status guarded(fz_context* ctx, Body&& body, Error::Kind kind = Error::Kind::Failed) {
    Status status;
    fz_try(ctx) {
        body();
    }
    fz_catch(ctx) {
        status = caughtError(ctx, kind);
    }
    return status;
}

} // namespace zepla::pdf
