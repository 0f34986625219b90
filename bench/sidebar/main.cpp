// Figures for the thumbnail sidebar on a generated 1,000-page document: how soon it shows and fills the
// visible thumbnails, the longest stall of the UI thread while it scrolls from top to bottom, and
// thumbnail throughput beside mutool drawing the same pages at the same width.
#include "PdfFixtures.h"
#include "core/UndoManager.h"
#include "document/PDFEditorDocument.h"
#include "document/ThumbnailCache.h"
#include "pdf/PdfDocument.h"
#include "pdf/PdfRender.h"
#include "pdfview/coordinator/PDFViewCoordinator.h"
#include "pdfview/view/PDFView.h"
#include "ui/sidebar/ThumbnailListView.h"
#include "ui/sidebar/ThumbnailLoader.h"
#include "ui/sidebar/ThumbnailSidebar.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QScrollBar>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <cmath>
#include <cstdio>
#include <numeric>

using namespace zepla;

namespace {

constexpr int kPages = 1000;
constexpr int kThumbnails = 200; // pages drawn for the throughput figures

double millisSince(const QElapsedTimer& t) {
    return double(t.nsecsElapsed()) / 1e6;
}

// Runs the event loop until `done` holds, checking every millisecond.
void waitUntil(const std::function<bool()>& done) {
    while (!done())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
}

// The longest gap between ticks of a 1 ms timer while `work` runs the event loop.
double longestStall(const std::function<void(QEventLoop&)>& work) {
    QElapsedTimer clock;
    clock.start();
    double last = 0, longest = 0;
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        const double now = millisSince(clock);
        longest = std::max(longest, now - last);
        last = now;
    });
    ticker.start(1);
    QEventLoop loop;
    work(loop);
    loop.exec();
    return longest;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    const QString path = dir.filePath("bench.pdf");
    const QByteArray bytes =
        pdf::Document::open(fixtures::makeTextPdf(kPages, "The quick brown fox jumps over the lazy dog"))
            .value()
            ->save()
            .value();
    QFile out(path);
    out.open(QIODevice::WriteOnly);
    out.write(bytes);
    out.close();

    auto read = document::PDFEditorDocument::read(bytes);
    auto document = std::move(std::get<std::unique_ptr<document::PDFEditorDocument>>(read));
    pdfview::PDFViewCoordinator coordinator;
    platform::UndoManager undo;

    std::printf("%d pages, %lld bytes\n", kPages, bytes.size());
    QElapsedTimer t;
    t.start();
    ui::ThumbnailSidebar sidebar(document.get(), &coordinator, &undo);
    sidebar.resize(240, 800);
    sidebar.show();
    QCoreApplication::processEvents();
    const double shown = millisSince(t);
    ui::ThumbnailListView* list = sidebar.listView();
    waitUntil([&] { return !list->loader().isBusy(); });
    const double filled = millisSince(t);
    std::printf("sidebar shown (built, laid out, first paint)  %9.2f ms\n", shown);
    std::printf("visible thumbnails filled                     %9.2f ms\n", filled);

    // Scroll top to bottom, half a page every 16 ms, as a fast flick would.
    QScrollBar* bar = list->verticalScrollBar();
    const double stall = longestStall([&](QEventLoop& loop) {
        auto* step = new QTimer(&loop);
        QObject::connect(step, &QTimer::timeout, [&, step] {
            bar->setValue(bar->value() + bar->pageStep() / 2);
            if (bar->value() >= bar->maximum()) {
                step->stop();
                QTimer::singleShot(0, &loop, [&] {
                    waitUntil([&] { return !list->loader().isBusy(); });
                    loop.quit();
                });
            }
        });
        step->start(16);
    });
    std::printf("longest UI-thread stall while scrolling       %9.2f ms (goal 16 ms)\n", stall);

    // Throughput: the same pages at the same width, one after another, as mutool draws them.
    pdf::Document& pdf = *document->pdfDocument();
    const QSizeF page = pdf.geometry(0).value().displaySize();
    const double scale = std::min(ui::ThumbnailLoader::thumbnailSize.width() / page.width(),
                                  ui::ThumbnailLoader::thumbnailSize.height() / page.height());
    const int width = int(std::lround(page.width() * scale));
    t.restart();
    for (int i = 0; i < kThumbnails; ++i)
        pdf.displayList(i).value().render(scale);
    const double ours = millisSince(t) / kThumbnails;

    // The sidebar's own path: recorded on this thread, drawn on workers, delivered back.
    document::ThumbnailCache::removeAllObjects();
    ui::ThumbnailLoader loader;
    std::vector<int> pages(kThumbnails);
    std::iota(pages.begin(), pages.end(), 0);
    t.restart();
    loader.request(document->pdfDocument(), pages);
    waitUntil([&] { return !loader.isBusy(); });
    const double parallel = millisSince(t) / kThumbnails;

    std::printf("thumbnail %d px wide, per page:\n", width);
    std::printf("  zepla, one thread                           %9.3f ms\n", ours);
    std::printf("  zepla, the sidebar's loader (%d workers)     %9.3f ms\n",
                std::max(2, QThread::idealThreadCount() - 1), parallel);
    if (QStandardPaths::findExecutable("mutool").isEmpty()) {
        std::printf("  mutool is not installed: no comparison\n");
        return 0;
    }
    QProcess mutool;
    t.restart();
    mutool.start("mutool",
                 {"draw", "-q", "-w", QString::number(width), path, QStringLiteral("1-%1").arg(kThumbnails)});
    mutool.waitForFinished(-1);
    const double theirs = millisSince(t) / kThumbnails;
    std::printf("  mutool draw -w %d                          %9.3f ms\n", width, theirs);
    std::printf("  ratio zepla one thread / mutool             %9.2fx (goal 1.3x or less)\n", ours / theirs);
    return 0;
}
