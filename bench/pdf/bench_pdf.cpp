// Figures for the PDF layer on a generated 1,000-page document, beside mutool doing the same work:
// open to first page, render per page at 150 dpi, thumbnail per page, save.
#include "PdfFixtures.h"
#include "pdf/PdfDocument.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <cstdio>
#include <functional>

using namespace zepla::pdf;

namespace {

constexpr int kPages = 1000;
constexpr int kRendered = 100; // pages rendered for the per-page figures
constexpr double kDpi150 = 150.0 / 72.0;
constexpr int kThumbWidth = 120;

double millis(const std::function<void()>& work) {
    QElapsedTimer t;
    t.start();
    work();
    return double(t.nsecsElapsed()) / 1e6;
}

double mutool(const QStringList& args) {
    return millis([&] {
        QProcess p;
        p.start("mutool", args);
        p.waitForFinished(-1);
        if (p.exitCode() != 0)
            std::fprintf(stderr, "mutool %s failed: %s\n", qPrintable(args.join(' ')),
                         p.readAllStandardError().constData());
    });
}

void row(const char* what, double ours, double theirs) {
    std::printf("%-34s %10.3f ms %10.3f ms %8.2fx\n", what, ours, theirs, theirs > 0 ? ours / theirs : 0.0);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QString path = dir.filePath("bench.pdf");
    const QByteArray bytes = fixtures::makeTextPdf(kPages, "The quick brown fox jumps over the lazy dog");
    {
        // Write it through the layer once so both sides read a compressed, well-formed file.
        QFile out(path);
        out.open(QIODevice::WriteOnly);
        out.write(Document::open(bytes).value()->save().value());
    }
    QFile in(path);
    in.open(QIODevice::ReadOnly);
    const QByteArray file = in.readAll();
    const bool haveMutool = !QStandardPaths::findExecutable("mutool").isEmpty();
    const QString range = QStringLiteral("1-%1").arg(kRendered);

    std::printf("%d pages, %lld bytes; per-page figures over %d pages\n", kPages, file.size(), kRendered);
    std::printf("%-34s %13s %13s %9s\n", "", "zepla", "mutool", "ratio");

    std::shared_ptr<Document> doc;
    const double open = millis([&] {
        doc = Document::open(file).value();
        doc->render(0, kDpi150);
    });
    row("open to first page (150 dpi)", open,
        haveMutool ? mutool({"draw", "-q", "-r", "150", path, "1"}) : 0);

    const double render = millis([&] {
        for (int i = 0; i < kRendered; ++i)
            doc->render(i, kDpi150);
    });
    row("render per page (150 dpi)", render / kRendered,
        haveMutool ? mutool({"draw", "-q", "-r", "150", path, range}) / kRendered : 0);

    const double thumbScale = kThumbWidth / doc->geometry(0).value().displaySize().width();
    const double thumbs = millis([&] {
        for (int i = 0; i < kRendered; ++i)
            doc->render(i, thumbScale);
    });
    row("thumbnail per page (120 px wide)", thumbs / kRendered,
        haveMutool ? mutool({"draw", "-q", "-w", QString::number(kThumbWidth), path, range}) / kRendered : 0);

    const double save = millis([&] { doc->save(); });
    row("save (full rewrite)", save,
        haveMutool ? mutool({"clean", "-gz", path, dir.filePath("clean.pdf")}) : 0);
    if (!haveMutool)
        std::printf("mutool is not installed: its column is empty\n");
    return 0;
}
