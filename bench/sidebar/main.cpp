// Figures for the thumbnail sidebar on a generated 1,000-page document: how soon it shows and fills the
// visible thumbnails and the longest stall of the UI thread while it scrolls from top to bottom; then
// thumbnail throughput on the first 200 pages of a real manual beside MuPDF drawing the same pages at the
// same size in the same process.
#include "../support/BenchTiming.h"
#include "../support/PlainMuPDFRenderer.h"
#include "../support/ValgrindManual.h"
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
#include <QFileInfo>
#include <QScrollBar>
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

volatile int sink;

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
    auto document = std::move(read).value();
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

    // Throughput, like for like: the first pages of a real manual drawn at the thumbnail size one after
    // another on this thread, through our layer (recorded, then drawn, as the sidebar does) and through
    // MuPDF directly, in this process, taking turns after a warm-up.
    QTemporaryDir manualDir;
    const QString manualPath = benchmarkManual(app.arguments(), manualDir);
    QFile manualFile(manualPath);
    if (manualPath.isEmpty() || !manualFile.open(QIODevice::ReadOnly)) {
        std::printf(
            "no manual to draw (valgrind's documentation, or a PDF as the argument): no comparison\n");
        return 0;
    }
    const QByteArray manual = manualFile.readAll();
    const std::shared_ptr<pdf::Document> ours = pdf::Document::open(manual).value();
    const PlainMuPDFRenderer plain(manual);
    const int pages = std::min(kThumbnails, plain.pageCount());
    const QSizeF page = ours->geometry(0).value().displaySize();
    const double scale = std::min(ui::ThumbnailLoader::thumbnailSize.width() / page.width(),
                                  ui::ThumbnailLoader::thumbnailSize.height() / page.height());
    const std::vector<qint64> best = alternatingBestNanoseconds({
        [&] {
            for (int i = 0; i < pages; ++i)
                sink = ours->displayList(i).value().render(scale).width();
        },
        [&] {
            for (int i = 0; i < pages; ++i)
                sink = plain.render(i, scale);
        },
    });
    const double oursMs = double(best[0]) / 1e6 / pages;
    const double plainMs = double(best[1]) / 1e6 / pages;

    // The sidebar's own path on the same pages: recorded on this thread, drawn on workers, delivered back.
    document::ThumbnailCache::removeAllObjects();
    ui::ThumbnailLoader loader;
    std::vector<int> indexes(pages);
    std::iota(indexes.begin(), indexes.end(), 0);
    t.restart();
    loader.request(ours, indexes);
    waitUntil([&] { return !loader.isBusy(); });
    const double parallel = millisSince(t) / pages;

    std::printf("%s: pages 1-%d drawn %.0f px wide, per page (best of alternating runs, both in this "
                "process):\n",
                qPrintable(QFileInfo(manualPath).fileName()), pages, page.width() * scale);
    std::printf("  zepla, one thread (display list, then drawn)  %9.3f ms\n", oursMs);
    std::printf("  MuPDF directly, one thread (page to pixmap)   %9.3f ms\n", plainMs);
    std::printf("  ratio zepla / MuPDF                           %9.2fx (goal 1.3x or less)\n",
                oursMs / plainMs);
    std::printf("  zepla, the sidebar's loader (%d workers)       %9.3f ms\n",
                std::max(2, QThread::idealThreadCount() - 1), parallel);
    return 0;
}
