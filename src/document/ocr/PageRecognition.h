// Recognising one page off the UI thread: a display list taken on the document's thread, drawn at 300 dpi on
// a worker of the recognition pool (one Tesseract engine per worker), with the recognised lines mapped back
// to page space and, when asked, the picture a rebuilt page keeps.
#pragma once

#include "ocr/TextRecognizer.h"
#include "pdf/PdfDocument.h"
#include "pdf/PdfRender.h"

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
};

struct RecognizedPage {
    int index = -1;
    pdf::PageHandle page;
    ocr::Recognition recognition; // boxes in pixels of the render
    QTransform imageToPage;       // from those pixels to page space
    QImage picture;     // the page's shown area at `keptPictureScale`, as page space runs (unrotated)
    QRectF pictureArea; // page space: the crop box
};

// Nothing when the page cannot be had or shows nothing (an empty box).
std::optional<PageSnapshot> snapshotPage(const pdf::Document& document, int index);

// Recognises the page on the calling thread; `keepPicture` also makes the picture of a rebuilt page.
RecognizedPage recognizePage(const PageSnapshot& page, bool keepPicture, const std::atomic<bool>* cancel);

// The workers that recognise pages, one per core.
QThreadPool& recognitionPool();

// Recognises the page on a worker of the pool; `done` gets the result on the UI thread, unless `context` is
// gone by then. Setting `cancel` stops the recognition early.
void recognizeInBackground(const PageSnapshot& page, bool keepPicture,
                           std::shared_ptr<std::atomic<bool>> cancel, QObject* context,
                           std::function<void(RecognizedPage)> done);

} // namespace zepla::document
