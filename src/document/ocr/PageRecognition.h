// Recognising one page off the UI thread: a display list taken on the document's thread, drawn at 300 dpi on
// a worker of the recognition pool (one Tesseract engine per worker), with the recognised lines mapped back
// to page space and, when asked, everything a rebuilt page needs made ready on the worker (its picture
// compressed, its text layer's fonts cut), so the swap on the document's thread is quick.
#pragma once

#include "ocr/TextRecognizer.h"
#include "pdf/PdfDocument.h"
#include "pdf/PdfImagePage.h"
#include "pdf/PdfRender.h"
#include "pdf/PdfTextLayer.h"

#include <QThreadPool>
#include <QTransform>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>

namespace zepla::document {

// Recognition reads a render of at least this resolution, whatever the picture a rebuilt page keeps.
constexpr double recognitionDpi = 300;
// Pixels per point of the picture a rebuilt page keeps.
constexpr double keptPictureScale = 2.0;

// What a worker needs of a page, taken on the document's thread.
struct PageSnapshot {
    int index = -1;
    pdf::PageHandle page;
    pdf::DisplayList list;
    bool hasAnnotations = false;
};

struct RecognizedPage {
    int index = -1;
    pdf::PageHandle page;
    ocr::Recognition recognition; // boxes in pixels of the render; an error instead when rebuilding fails
    QTransform imageToPage;       // from those pixels to page space
    // The rebuilt page. A scan (one picture filling a page without annotations) keeps its page's contents
    // and picture as they are and only gains the text; any other page becomes a picture of its shown area
    // at `keptPictureScale`.
    bool keepsPicture = false;
    pdf::PreparedPicture picture; // when the picture is not kept
    pdf::InvisibleText text;
};

// Nothing when the page cannot be had or shows nothing (an empty box).
std::optional<PageSnapshot> snapshotPage(const pdf::Document& document, int index);

// Recognises the page on the calling thread; `rebuild` also prepares the rebuilt page.
RecognizedPage recognizePage(const PageSnapshot& page, bool rebuild, const std::atomic<bool>* cancel);

// The workers that recognise pages, one per core.
QThreadPool& recognitionPool();

// Recognises the page on a worker of the pool; `done` gets the result on the UI thread, unless `context` is
// gone by then. Setting `cancel` stops the recognition early.
void recognizeInBackground(const PageSnapshot& page, bool rebuild, std::shared_ptr<std::atomic<bool>> cancel,
                           QObject* context, std::function<void(RecognizedPage)> done);

} // namespace zepla::document
