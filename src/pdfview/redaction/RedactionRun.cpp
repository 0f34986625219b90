#include "RedactionRun.h"

#include "core/UndoManager.h"
#include "core/WorkerPriority.h"

#include <QCoreApplication>

namespace zepla::pdfview {

QThreadPool& RedactionRun::pool() {
    static QThreadPool workers;
    return workers;
}

RedactionRun::RedactionRun(document::PDFEditorDocument& document, platform::UndoManager* undoManager,
                           QObject* parent)
    : QObject(parent), m_document(&document), m_undoManager(undoManager) {}

RedactionRun::~RedactionRun() {
    m_cancel->store(true);
}

void RedactionRun::start() {
    if (m_running || !m_document)
        return;
    m_pages = RedactionApplier::markedPages(*m_document->pdfDocument());
    if (m_pages.empty())
        return finish();
    m_running = true;
    emit progressed(0, pageTotal());
    const QPointer<RedactionRun> receiver(this);
    for (std::size_t i = 0; i < m_pages.size(); ++i) {
        pool().start([page = m_pages[i], i, cancel = m_cancel, receiver] {
            if (cancel->load())
                return;
            platform::giveWayToTheInterface();
            std::optional<pdf::PreparedPicture> picture = RedactionApplier::flatten(page);
            // The application object lives on the UI thread; `receiver` is only looked at there.
            QMetaObject::invokeMethod(
                QCoreApplication::instance(),
                [receiver, i, picture = std::move(picture)] {
                    if (receiver)
                        receiver->pageDrawn(i, picture);
                },
                Qt::QueuedConnection);
        });
    }
}

void RedactionRun::cancel() {
    if (!m_running)
        return;
    m_cancel->store(true);
    m_outcome.cancelled = true;
    finish();
}

void RedactionRun::pageDrawn(std::size_t page, const std::optional<pdf::PreparedPicture>& picture) {
    if (!m_running)
        return;
    auto replaced = picture && m_document
                        ? RedactionApplier::swapIn(*m_document->pdfDocument(), m_pages[page], *picture)
                        : std::nullopt;
    if (replaced) {
        m_swapped.push_back(std::move(*replaced));
        document::PageOperations::announceReplacedPage(*m_document);
    } else {
        ++m_outcome.pagesFailed;
    }
    emit progressed(++m_pagesDone, pageTotal());
    // A receiver of the progress may have cancelled the run already.
    if (m_running && m_pagesDone == pageTotal())
        finish();
}

void RedactionRun::finish() {
    m_running = false;
    m_outcome.pagesRedacted = int(m_swapped.size());
    if (m_document && !m_swapped.empty())
        document::PageOperations::pagesReplaced(*m_document, std::move(m_swapped), m_undoManager.data());
    m_swapped.clear();
    emit finished(m_outcome);
}

} // namespace zepla::pdfview
