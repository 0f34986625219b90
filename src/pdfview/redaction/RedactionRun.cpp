#include "RedactionRun.h"

#include "core/UndoManager.h"
#include "core/WorkerPriority.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

namespace zepla::pdfview {

namespace {

// The pages are searched for marks in slices of this length, one per turn of the event loop, so that a long
// document never holds the window.
constexpr qint64 scanSliceMs = 15;

} // namespace

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
    m_running = true;
    findMarkedPages();
}

void RedactionRun::findMarkedPages() {
    if (!m_running)
        return;
    if (!m_document)
        return finish();
    const pdf::Document& pdf = *m_document->pdfDocument();
    QElapsedTimer slice;
    slice.start();
    while (m_nextPage < pdf.pageCount() && slice.elapsed() < scanSliceMs) {
        if (auto page = RedactionApplier::markedPage(pdf, m_nextPage)) {
            m_pages.push_back(std::move(*page));
            draw(m_pages.size() - 1);
        }
        ++m_nextPage;
    }
    if (m_nextPage < pdf.pageCount()) {
        emit progressed(m_pagesDone, pageTotal());
        QTimer::singleShot(0, this, &RedactionRun::findMarkedPages);
        return;
    }
    m_allFound = true;
    emit progressed(m_pagesDone, pageTotal());
    if (m_running && m_pagesDone == pageTotal())
        finish();
}

void RedactionRun::draw(std::size_t index) {
    const QPointer<RedactionRun> receiver(this);
    pool().start([page = m_pages[index], index, cancel = m_cancel, receiver] {
        if (cancel->load())
            return;
        platform::giveWayToTheInterface();
        std::optional<pdf::PreparedPicture> picture = RedactionApplier::flatten(page);
        // The application object lives on the UI thread; `receiver` is only looked at there.
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [receiver, index, picture = std::move(picture)] {
                if (receiver)
                    receiver->pageDrawn(index, picture);
            },
            Qt::QueuedConnection);
    });
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
    if (m_running && m_allFound && m_pagesDone == pageTotal())
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
