#include "PDFViewBridge.h"

#include "PDFViewCoordinator.h"
#include "document/RecentPageStore.h"
#include "pdfview/view/PDFView.h"

#include <QPointer>
#include <QTimer>

namespace zepla::pdfview::PDFViewBridge {

std::optional<int> pageToRestore(const QString& filePath, int pageCount) {
    if (filePath.isEmpty())
        return std::nullopt;
    const std::optional<int> stored = document::RecentPageStore::pageIndex(filePath);
    if (!stored || *stored < 1 || *stored >= pageCount)
        return std::nullopt;
    return stored;
}

void attach(PDFView& view, PDFViewCoordinator& coordinator, std::shared_ptr<pdf::Document> document,
            const QString& filePath, const QColor& background) {
    const int pageCount = document ? document->pageCount() : 0;
    view.setDocument(std::move(document));
    view.setAutoScales(true);
    view.setDisplaysPageBreaks(true);
    view.setBackgroundColor(background);
    // Read before attaching: attaching records the page shown now, the first.
    const std::optional<int> restore = pageToRestore(filePath, pageCount);
    coordinator.setFilePath(filePath);
    coordinator.setPdfView(&view);
    if (restore) {
        QPointer<PDFView> target(&view);
        QTimer::singleShot(0, &view, [target, page = *restore] {
            if (target)
                target->goToPage(page);
        });
    }
}

} // namespace zepla::pdfview::PDFViewBridge
