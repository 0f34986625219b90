#include "PageOCRExtractor.h"

#include "PageRecognition.h"

namespace zepla::document::PageOCRExtractor {

void recognizeText(const pdf::Document& document, int index, QObject* context,
                   std::function<void(std::optional<QString>)> done) {
    const std::optional<PageSnapshot> snapshot =
        index >= 0 && index < document.pageCount() ? snapshotPage(document, index) : std::nullopt;
    if (!snapshot)
        return done(std::nullopt);
    recognizeInBackground(*snapshot, false, std::make_shared<std::atomic<bool>>(false), context,
                          [done = std::move(done)](const RecognizedPage& page) {
                              const QString text =
                                  page.recognition ? ocr::text(page.recognition.value()) : QString();
                              done(text.isEmpty() ? std::nullopt : std::optional(text));
                          });
}

} // namespace zepla::document::PageOCRExtractor
