// Compression beside Ghostscript: the "Better" copy of a 20-page scan and of the first 100 pages of a real
// manual (valgrind's, or a PDF given on the command line), its size and time, and `gs -sDEVICE=pdfwrite
// -dPDFSETTINGS=/ebook` on the same files in the same run. Scans shrink; pages of text grow, because every
// page becomes a picture.
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

#include <cstdio>

using namespace zepla;

namespace {

// Twenty Letter pages as a scanner at 200 dpi delivers them: lines of text on a grainy paper tone, JPEG.
QString writeScan(const QTemporaryDir& dir) {
    auto document = pdf::Document::createEmpty();
    QRandomGenerator random(11);
    for (int p = 0; p < 20; ++p) {
        QImage scan(1700, 2200, QImage::Format_RGB32);
        scan.fill(QColor(238, 234, 224));
        QPainter painter(&scan);
        QFont font(QStringLiteral("DejaVu Serif"));
        font.setPixelSize(30);
        painter.setFont(font);
        painter.setPen(QColor(40, 40, 45));
        for (int line = 0; line < 48; ++line)
            painter.drawText(150, 200 + line * 40,
                             QStringLiteral("Page %1, line %2: the quick brown fox jumps over the lazy dog.")
                                 .arg(p + 1)
                                 .arg(line + 1));
        painter.end();
        for (int y = 0; y < scan.height(); ++y) {
            auto* row = reinterpret_cast<QRgb*>(scan.scanLine(y));
            for (int x = 0; x < scan.width(); ++x) {
                const int grain = int(random.bounded(13)) - 6;
                row[x] =
                    qRgb(std::clamp(qRed(row[x]) + grain, 0, 255), std::clamp(qGreen(row[x]) + grain, 0, 255),
                         std::clamp(qBlue(row[x]) + grain, 0, 255));
            }
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

void measure(const char* name, const QString& path, const QTemporaryDir& dir) {
    auto source = pdf::Document::openFile(path).value();
    const qint64 before = QFileInfo(path).size();
    QElapsedTimer timer;
    timer.start();
    const auto outcome = document::PDFCompressor::compress(*source, document::PDFCompressor::Quality::better);
    const QByteArray copy = outcome.document ? outcome.document->save().value() : QByteArray();
    const double ours = timer.nsecsElapsed() / 1e6;
    std::printf("%s: %d pages, %.0f KB\n", name, source->pageCount(), before / 1024.0);
    std::printf(
        "  Zepla \"Better\" (every page a JPEG at 1.5 px/pt, quality 0.6): %.0f KB (%.0f %%) in %.0f ms\n",
        copy.size() / 1024.0, 100.0 * copy.size() / before, ours);
    const QString out = dir.filePath(QStringLiteral("gs-%1.pdf").arg(QString::fromLatin1(name)));
    QProcess gs;
    timer.restart();
    gs.start(QStringLiteral("gs"), {"-q", "-dNOPAUSE", "-dBATCH", "-dSAFER", "-sDEVICE=pdfwrite",
                                    "-dPDFSETTINGS=/ebook", "-sOutputFile=" + out, path});
    gs.waitForFinished(600000);
    const double theirs = timer.nsecsElapsed() / 1e6;
    const qint64 after = QFileInfo(out).size();
    std::printf("  Ghostscript pdfwrite /ebook (keeps text; pictures over 225 dpi resampled to 150 dpi): "
                "%.0f KB (%.0f %%) "
                "in %.0f ms\n",
                after / 1024.0, 100.0 * after / before, theirs);
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QGuiApplication app(argc, argv);
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
