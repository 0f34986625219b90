// Figures for the PDF view on a generated 1,000-page document: how soon the first page shows after
// opening; opening and drawing that page at the view's resolution through our layer beside MuPDF directly,
// in this process; and the longest stall of the event loop while the view scrolls through every page.
#include "../support/BenchTiming.h"
#include "../support/PlainMuPDFRenderer.h"
#include "../support/StallProbe.h"
#include "PdfFixtures.h"
#include "pdf/PdfDocument.h"
#include "pdfview/view/PDFView.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QScrollBar>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <QWindow>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace zepla;

namespace {

constexpr int kPages = 1000;
constexpr QSize kViewSize(1000, 800);
constexpr int kFrameMs = 16;

volatile int sink;

double millis(const QElapsedTimer& t) {
    return double(t.nsecsElapsed()) / 1e6;
}

// Opens the file, shows it in a view and waits until page 1 has been drawn with its rendered tiles.
double firstPageVisible(const QString& path, double* scale) {
    QElapsedTimer t;
    t.start();
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    auto document = pdf::Document::open(file.readAll()).value();
    pdfview::PDFView view;
    bool firstPageDrawn = false;
    QObject::connect(&view, &pdfview::PDFView::pageImageReady,
                     [&](int page) { firstPageDrawn |= page == 0; });
    view.resize(kViewSize);
    view.setDocument(document);
    view.show();
    while (!view.windowHandle() || !view.windowHandle()->isExposed())
        QCoreApplication::processEvents();
    view.viewport()->repaint();
    while (!firstPageDrawn || !view.isRenderingIdle())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    view.viewport()->repaint();
    const double elapsed = millis(t);
    *scale = view.scaleFactor();
    return elapsed;
}

struct ScrollFigures {
    StallProbe::Figures stalls;
    double totalMs = 0;
    int frames = 0;
};

// Scrolls one page per frame from the first page to the last while the probe records how long the event
// loop was busy elsewhere.
ScrollFigures scrollThrough(const QString& path) {
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    pdfview::PDFView view;
    view.resize(kViewSize);
    view.setDocument(pdf::Document::open(file.readAll()).value());
    view.show();
    QCoreApplication::processEvents();

    ScrollFigures figures;
    StallProbe probe;
    QElapsedTimer total;
    QTimer frame;
    frame.setTimerType(Qt::PreciseTimer);
    frame.setInterval(kFrameMs);
    QEventLoop loop;
    QObject::connect(&frame, &QTimer::timeout, [&] {
        QScrollBar* bar = view.verticalScrollBar();
        ++figures.frames;
        if (bar->value() >= bar->maximum()) {
            loop.quit();
            return;
        }
        const double page = view.pageRectInView(std::max(0, view.currentPageIndex())).height();
        bar->setValue(bar->value() + int(page));
    });
    total.start();
    probe.start();
    frame.start();
    loop.exec();
    figures.totalMs = millis(total);
    figures.stalls = probe.stop(kFrameMs);
    return figures;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QStandardPaths::setTestModeEnabled(true);
    QTemporaryDir dir;
    const QString path = dir.filePath("bench.pdf");
    {
        // Written through the layer once so both sides read a compressed, well-formed file.
        const QByteArray bytes = fixtures::makeTextPdf(kPages, "The quick brown fox jumps over the lazy dog");
        QFile out(path);
        out.open(QIODevice::WriteOnly);
        out.write(pdf::Document::open(bytes).value()->save().value());
    }
    std::printf("%d pages, view %dx%d\n", kPages, kViewSize.width(), kViewSize.height());

    double scale = 1;
    const double shown = firstPageVisible(path, &scale);
    std::printf("first page visible in the view after open %9.1f ms (at %.0f dpi)\n", shown, scale * 72.0);

    // Like for like, in this process, taking turns after a warm-up: open the file's bytes and draw page 1
    // at the view's resolution, through our layer and through MuPDF directly.
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    const QByteArray bytes = file.readAll();
    const std::vector<qint64> best = alternatingBestNanoseconds({
        [&] { sink = pdf::Document::open(bytes).value()->render(0, scale).value().width(); },
        [&] { sink = PlainMuPDFRenderer(bytes).render(0, scale); },
    });
    const double ours = double(best[0]) / 1e6;
    const double plain = double(best[1]) / 1e6;
    std::printf("open + draw page 1, zepla's layer         %9.2f ms\n", ours);
    std::printf("open + draw page 1, MuPDF directly        %9.2f ms   ratio %.2fx\n", plain, ours / plain);

    const ScrollFigures scroll = scrollThrough(path);
    std::printf("scroll through all pages          %9.1f ms in %d frames of %d ms\n", scroll.totalMs,
                scroll.frames, kFrameMs);
    std::printf("longest event-loop stall          %9.2f ms (99th percentile gap %.2f ms; goal <= 16 ms)\n",
                scroll.stalls.longestMs, scroll.stalls.p99Ms);
    std::printf("stalls longer than %d ms            %9d\n", kFrameMs, scroll.stalls.overFrame);
    return 0;
}
