#include "OCRTextLayerApplier.h"

#include "pdf/PdfTextLayer.h"

#include <QPointer>
#include <QTextBoundaryFinder>

namespace zepla::document::OCRTextLayerApplier {

namespace {

int visibleCharacters(const QString& text) {
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    int count = 0;
    while (finder.toNextBoundary() > 0)
        ++count;
    return count;
}

QString trimmedText(const pdf::Document& document, int index) {
    const pdf::Result<QString> text = document.pageText(index);
    return text ? text.value().trimmed() : QString();
}

} // namespace

bool pageAlreadyHasText(const pdf::Document& document, int index) {
    return visibleCharacters(trimmedText(document, index)) >= textCharacterThreshold;
}

std::vector<int> pagesNeedingOCR(const pdf::Document& document) {
    std::vector<int> pages;
    for (int i = 0; i < document.pageCount(); ++i) {
        if (!document.page(i).isNull() && !pageAlreadyHasText(document, i))
            pages.push_back(i);
    }
    return pages;
}

pdf::Result<std::optional<PageOperations::PageReplacement>> flatten(pdf::Document& document,
                                                                    const RecognizedPage& recognized) {
    const int index = document.indexOf(recognized.page);
    if (index < 0 || pageAlreadyHasText(document, index))
        return std::optional<PageOperations::PageReplacement>();
    auto replaced = recognized.keepsPicture
                        ? PageOperations::replaceWithCopy(document, index)
                        : PageOperations::replaceWithPicture(document, index, recognized.picture);
    if (!replaced)
        return replaced.error();
    const pdf::Status written = pdf::addInvisibleText(document, index, recognized.text);
    if (!written) {
        // The page goes back as it was: a picture without its text would be worse than the scan.
        document.removePage(index);
        document.insertPage(recognized.page, index);
        for (const pdf::AnnotationHandle& field : replaced.value().originalFields)
            document.setFieldListed(field, true);
        return written.error();
    }
    return std::optional(replaced.value());
}

void replace(PDFEditorDocument& document, std::vector<PageOperations::PageReplacement> entries,
             platform::UndoManager* undoManager) {
    if (!entries.empty())
        PageOperations::pagesReplaced(document, std::move(entries), undoManager);
}

void applyToCurrentPage(PDFEditorDocument& document, int index, platform::UndoManager* undoManager,
                        QObject* context, std::function<void(PageOutcome)> done) {
    pdf::Document& pdf = *document.pdfDocument();
    if (index < 0 || index >= pdf.pageCount())
        return done(std::optional<QString>());
    if (pageAlreadyHasText(pdf, index))
        return done(std::optional(trimmedText(pdf, index)));
    const std::optional<PageSnapshot> snapshot = snapshotPage(pdf, index);
    if (!snapshot)
        return done(std::optional<QString>());
    QPointer<PDFEditorDocument> target(&document);
    QPointer<platform::UndoManager> undo(undoManager);
    recognizeInBackground(*snapshot, true, std::make_shared<std::atomic<bool>>(false), context,
                          [target, undo, done = std::move(done)](const RecognizedPage& recognized) {
                              if (!target)
                                  return;
                              if (!recognized.recognition.ok())
                                  return done(recognized.recognition.error().message);
                              auto flattened = flatten(*target->pdfDocument(), recognized);
                              if (!flattened)
                                  return done(flattened.error().message);
                              if (flattened.value())
                                  replace(*target, {*flattened.value()}, undo.data());
                              done(std::optional(ocr::text(recognized.recognition.value())));
                          });
}

} // namespace zepla::document::OCRTextLayerApplier
