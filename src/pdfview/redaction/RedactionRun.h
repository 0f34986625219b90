// Redaction of a whole document without stopping the window: the pages are searched for marks a slice per
// turn of the event loop, the marked ones drawn and compressed on worker threads, each swapped in on the UI
// thread as soon as it is ready, with progress. The pages swapped
// in form one undo step, registered when the run ends; cancelling stops the workers and keeps the pages
// already redacted, as that one step.
#pragma once

#include "RedactionApplier.h"

#include <QObject>
#include <QPointer>
#include <QThreadPool>

#include <atomic>
#include <memory>

namespace zepla::pdfview {

class RedactionRun : public QObject {
    Q_OBJECT

public:
    RedactionRun(document::PDFEditorDocument& document, platform::UndoManager* undoManager,
                 QObject* parent = nullptr);
    ~RedactionRun() override;

    // Starts finding and drawing the marked pages; `finished` follows, at once when a short document has
    // none.
    void start();
    // Stops the run; `finished` comes at once with `cancelled` set, and no further page changes.
    void cancel();
    bool isRunning() const { return m_running; }
    int pageTotal() const { return int(m_pages.size()); }
    // The workers that draw the pages: a pool of their own, since Qt's painting shares its work out to the
    // global pool, and a window painting behind a hundred queued pages would wait for them.
    static QThreadPool& pool();

signals:
    void progressed(int pagesDone, int pageTotal);
    void finished(const zepla::pdfview::RedactionOutcome& outcome);

private:
    void findMarkedPages();
    void draw(std::size_t page);
    void pageDrawn(std::size_t page, const std::optional<pdf::PreparedPicture>& picture);
    void finish();

    QPointer<document::PDFEditorDocument> m_document;
    QPointer<platform::UndoManager> m_undoManager;
    std::vector<RedactionApplier::MarkedPage> m_pages;
    int m_nextPage = 0; // the next page to search for marks
    bool m_allFound = false;
    int m_pagesDone = 0;
    std::vector<document::PageOperations::PageReplacement> m_swapped;
    RedactionOutcome m_outcome;
    std::shared_ptr<std::atomic<bool>> m_cancel = std::make_shared<std::atomic<bool>>(false);
    bool m_running = false;
};

} // namespace zepla::pdfview
