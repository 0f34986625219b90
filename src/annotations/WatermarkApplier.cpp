#include "WatermarkApplier.h"

#include "WatermarkAnnotation.h"

#include "document/DocumentUndo.h"
#include "document/ThumbnailCache.h"

namespace zepla::annotations::WatermarkApplier {

namespace {

struct Stamp {
    pdf::PageHandle page;
    pdf::AnnotationHandle annotation;
};

void finishEdit(document::PDFEditorDocument& document) {
    document.announceChange();
    document::ThumbnailCache::removeAllObjects();
}

void putBack(document::PDFEditorDocument& document, const std::vector<Stamp>& stamps,
             platform::UndoManager* undoManager);

void takeOff(document::PDFEditorDocument& document, const std::vector<Stamp>& stamps,
             platform::UndoManager* undoManager) {
    pdf::Document& file = *document.pdfDocument();
    for (const Stamp& stamp : stamps)
        if (const int index = file.indexOf(stamp.page); index >= 0)
            file.removeAnnotation(index, stamp.annotation);
    finishEdit(document);
    document::registerInverse(
        document, undoManager,
        [stamps, undoManager](document::PDFEditorDocument& target) { putBack(target, stamps, undoManager); });
}

void putBack(document::PDFEditorDocument& document, const std::vector<Stamp>& stamps,
             platform::UndoManager* undoManager) {
    pdf::Document& file = *document.pdfDocument();
    for (const Stamp& stamp : stamps)
        if (const int index = file.indexOf(stamp.page); index >= 0) {
            auto annotations = file.annotations(index);
            file.restoreAnnotation(index, stamp.annotation, annotations ? int(annotations->size()) : 0);
        }
    finishEdit(document);
    document::registerInverse(
        document, undoManager,
        [stamps, undoManager](document::PDFEditorDocument& target) { takeOff(target, stamps, undoManager); });
}

} // namespace

void apply(const QString& text, qreal opacity, document::PDFEditorDocument& document,
           platform::UndoManager* undoManager) {
    pdf::Document& file = *document.pdfDocument();
    std::vector<Stamp> stamps;
    for (int index = 0; index < file.pageCount(); ++index) {
        pdf::Result<pdf::PageGeometry> geometry = file.geometry(index);
        if (!geometry)
            continue;
        WatermarkAnnotation watermark(text, opacity, geometry->mediaBox);
        if (writeNewAnnotation(file, index, watermark))
            stamps.push_back({file.page(index), watermark.handle});
    }
    if (stamps.empty())
        return;
    finishEdit(document);
    document::registerInverse(
        document, undoManager,
        [stamps, undoManager](document::PDFEditorDocument& target) { takeOff(target, stamps, undoManager); });
}

} // namespace zepla::annotations::WatermarkApplier
