// Compression beside Ghostscript, process against process on the same files: Zepla's "Better" copy (this
// program run again as a child that opens the PDF, makes every page one JPEG at 1.5 px/pt, quality 0.6, grey
// pages as grey JPEG, and writes the copy) and `gs -sDEVICE=pdfwrite -dPDFSETTINGS=/ebook` (keeps text,
// resamples pictures over 225 dpi to 150 dpi), on a 20-page scan at 300 dpi (grey, as scanners deliver text
// pages) and on the first 100 pages of a real manual (valgrind's, or a PDF given on the command line). A
// warm-up run of each side, then three rounds in alternating order; median times and sizes. Scans shrink;
// pages of text grow, because every page becomes a picture.
#include "../support/ValgrindManual.h"
#include "document/pages/DerivedFile.h"
#include "document/pages/PDFCompressor.h"
#include "document/pages/PageOperations.h"
#include "pdf/PdfImagePage.h"

#include <QBuffer>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPainter>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace zepla;

namespace {

// Twenty Letter pages as a scanner at 300 dpi delivers them: lines of text on a grainy paper tone, grey JPEG.
QString writeScan(const QTemporaryDir& dir) {
    auto document = pdf::Document::createEmpty();
    QRandomGenerator random(11);
    for (int p = 0; p < 20; ++p) {
        QImage scan(2550, 3300, QImage::Format_Grayscale8);
        scan.fill(QColor(234, 234, 234));
        QPainter painter(&scan);
        QFont font(QStringLiteral("DejaVu Serif"));
        font.setPixelSize(45);
        painter.setFont(font);
        painter.setPen(QColor(40, 40, 40));
        for (int line = 0; line < 48; ++line)
            painter.drawText(225, 300 + line * 60,
                             QStringLiteral("Page %1, line %2: the quick brown fox jumps over the lazy dog.")
                                 .arg(p + 1)
                                 .arg(line + 1));
        painter.end();
        for (int y = 0; y < scan.height(); ++y) {
            uchar* row = scan.scanLine(y);
            for (int x = 0; x < scan.width(); ++x)
                row[x] = uchar(std::clamp(int(row[x]) + int(random.bounded(13)) - 6, 0, 255));
        }
        QByteArray jpeg;
        QBuffer buffer(&jpeg);
        buffer.open(QIODevice::WriteOnly);
        scan.save(&buffer, "JPEG", 85);
        pdf::insertImagePage(*document, -1,
                             {{0, 0, 612, 792}, {}, 0, {jpeg, QImage(), QTransform::fromScale(612, 792)}});
    }
    const QString path = dir.filePath(QStringLiteral("scan.pdf"));
    return document::writeDerivedFile(*document, path) ? path : QString();
}

QString writeManualPages(const QString& manual, const QTemporaryDir& dir) {
    auto source = pdf::Document::openFile(manual);
    if (!source)
        return {};
    document::IndexSet first;
    for (int i = 0; i < std::min(100, source.value()->pageCount()); ++i)
        first.insert(i);
    const QString path = dir.filePath(QStringLiteral("manual-100.pdf"));
    const auto pages = document::PageOperations::extractPages(first, *source.value());
    return document::writeDerivedFile(*pages.document, path) ? path : QString();
}

struct Run {
    double ms = 0;
    qint64 bytes = 0;
};

Run timedProcess(const QString& program, const QStringList& arguments, const QString& out) {
    QProcess process;
    QElapsedTimer timer;
    timer.start();
    process.start(program, arguments);
    process.waitForFinished(600000);
    const double ms = timer.nsecsElapsed() / 1e6;
    return {ms, process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0
                    ? QFileInfo(out).size()
                    : qint64(-1)};
}

// Zepla: this program as a child that writes the "Better" copy.
Run zeplaCopy(const QString& path, const QString& out) {
    return timedProcess(QCoreApplication::applicationFilePath(), {"--compress", path, out}, out);
}

Run ghostscriptCopy(const QString& path, const QString& out) {
    return timedProcess(QStringLiteral("gs"),
                        {"-q", "-dNOPAUSE", "-dBATCH", "-dSAFER", "-sDEVICE=pdfwrite", "-dPDFSETTINGS=/ebook",
                         "-sOutputFile=" + out, path},
                        out);
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

void measure(const char* name, const QString& path, const QTemporaryDir& dir) {
    const qint64 before = QFileInfo(path).size();
    std::printf("%s: %d pages, %.0f KB\n", name, pdf::Document::openFile(path).value()->pageCount(),
                before / 1024.0);
    const QString ours = dir.filePath(QStringLiteral("zepla-%1.pdf").arg(QString::fromLatin1(name)));
    const QString theirs = dir.filePath(QStringLiteral("gs-%1.pdf").arg(QString::fromLatin1(name)));
    zeplaCopy(path, ours);
    ghostscriptCopy(path, theirs);
    std::vector<double> oursMs, theirsMs;
    Run oursRun, theirsRun;
    for (int round = 0; round < 3; ++round) {
        for (int side = 0; side < 2; ++side) {
            if ((side + round) % 2 == 0) {
                oursRun = zeplaCopy(path, ours);
                oursMs.push_back(oursRun.ms);
            } else {
                theirsRun = ghostscriptCopy(path, theirs);
                theirsMs.push_back(theirsRun.ms);
            }
        }
    }
    std::printf("  Zepla \"Better\" (every page a JPEG at 1.5 px/pt, quality 0.6, grey pages grey): %.0f KB "
                "(%.0f %%), median %.0f ms\n",
                oursRun.bytes / 1024.0, 100.0 * oursRun.bytes / before, median(oursMs));
    std::printf(
        "  Ghostscript pdfwrite /ebook (keeps text; pictures over 225 dpi resampled to 150 dpi): %.0f KB "
        "(%.0f %%), median %.0f ms\n",
        theirsRun.bytes / 1024.0, 100.0 * theirsRun.bytes / before, median(theirsMs));
}

// The Zepla side, in the child: the "Better" copy of `in` written to `out`.
int compressFile(const QString& in, const QString& out) {
    auto source = pdf::Document::openFile(in);
    if (!source)
        return 2;
    const auto outcome =
        document::PDFCompressor::compress(*source.value(), document::PDFCompressor::Quality::better);
    return outcome && outcome.value() && document::writeDerivedFile(*outcome.value(), out) ? 0 : 3;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QGuiApplication app(argc, argv);
    if (app.arguments().size() == 4 && app.arguments()[1] == QLatin1String("--compress"))
        return compressFile(app.arguments()[2], app.arguments()[3]);
    if (QStandardPaths::findExecutable(QStringLiteral("gs")).isEmpty()) {
        std::fprintf(stderr, "Ghostscript is missing (scripts/setup installs it)\n");
        return 1;
    }
    QTemporaryDir dir;
    const QString manual = benchmarkManual(app.arguments(), dir);
    const QString scan = writeScan(dir);
    const QString manualPages = manual.isEmpty() ? QString() : writeManualPages(manual, dir);
    if (scan.isEmpty() || manualPages.isEmpty()) {
        std::fprintf(stderr, "the fixtures could not be written: give a PDF of at least 100 pages\n");
        return 1;
    }
    measure("scan", scan, dir);
    measure("manual", manualPages, dir);
    return 0;
}
