// Redaction speed: one mark on each of the first 100 pages of a real manual (valgrind's, from Debian's
// documentation, or a PDF given on the command line), burnt in with the page pictures at 3 pixels per
// point; pages per second, bytes per page of the saved file and peak memory, beside `mutool draw`
// rasterising the same pages at the same resolution (the floor for this work) in the same run.
#include "../support/ValgrindManual.h"
#include "annotations/RedactionMarkerAnnotation.h"
#include "document/PDFEditorDocument.h"
#include "pdfview/redaction/RedactionApplier.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <sys/resource.h>

#include <cstdio>

using namespace zepla;

namespace {

long peakKilobytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QString path = benchmarkManual(app.arguments(), dir);
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "no manual: give a PDF of at least 100 pages\n");
        return 1;
    }
    auto read = document::PDFEditorDocument::read(file.readAll());
    if (!read) {
        std::fprintf(stderr, "%s cannot be read\n", qPrintable(path));
        return 1;
    }
    auto& document = *read.value();
    pdf::Document& pdf = *document.pdfDocument();
    const int pages = std::min(100, pdf.pageCount());
    for (int i = 0; i < pages; ++i) {
        const QRectF crop = pdf.geometry(i).value().cropBox;
        annotations::RedactionMarkerAnnotation mark;
        mark.bounds = QRectF(crop.left() + 72, crop.bottom() - 120, 200, 20);
        annotations::writeNewAnnotation(pdf, i, mark);
    }
    QElapsedTimer timer;
    timer.start();
    const auto outcome = pdfview::RedactionApplier::apply(document, nullptr);
    const double ours = timer.nsecsElapsed() / 1e6;
    const QByteArray saved = pdf.save().value();
    std::printf(
        "Zepla: %d pages redacted (%d failed) at %.0f dpi in %.0f ms: %.1f pages/s, %.0f KB per page saved, "
        "peak memory %ld MB\n",
        outcome.pagesRedacted, outcome.pagesFailed, pdfview::RedactionApplier::scale * 72, ours,
        outcome.pagesRedacted / (ours / 1000), saved.size() / 1024.0 / std::max(pages, 1),
        peakKilobytes() / 1024);
    if (QStandardPaths::findExecutable(QStringLiteral("mutool")).isEmpty()) {
        std::printf("mutool is not installed: no comparison\n");
        return 0;
    }
    QProcess mutool;
    timer.restart();
    mutool.start(QStringLiteral("mutool"),
                 {"draw", "-q", "-r", QString::number(pdfview::RedactionApplier::scale * 72), "-o",
                  dir.filePath("page%d.png"), path, QStringLiteral("1-%1").arg(pages)});
    mutool.waitForFinished(600000);
    const double theirs = timer.nsecsElapsed() / 1e6;
    std::printf("mutool draw of the same %d pages to PNG at the same resolution: %.0f ms: %.1f pages/s\n",
                pages, theirs, pages / (theirs / 1000));
    std::printf("ratio (Zepla time / mutool time): %.2fx\n", ours / theirs);
    return 0;
}
