// Memory while reading and after closing. A generated 3,000-page file with a line of text and a picture of
// its own on every page (or any PDF named on the command line) is opened in a document window, paged through
// one screen at a time up to page 600 and closed, ten times over. It prints the resident memory and the
// heap's bytes in use while the first reading passes pages 200, 400 and 600, and after every close: reading
// should level off after the first screens, and every close should leave the program where the first did.
// It sets up the heap as the program's main does.
// Run under an X server (or QT_QPA_PLATFORM=offscreen); preferences go to a temporary home.
#include "../support/ResidentMemory.h"
#include "PdfFixtures.h"
#include "app/DocumentController.h"
#include "app/DocumentWindow.h"
#include "app/ZeplaApp.h"
#include "core/DefaultPDFHandler.h"
#include "core/MemoryRelease.h"
#include "core/Settings.h"
#include "document/PDFEditorDocument.h"
#include "pdf/PdfDocument.h"
#include "pdfview/annotating/AnnotatingPDFView.h"
#include "ui/window/ContentView.h"
#include "ui/workspace/PDFEditorWorkspaceView.h"

#include <QApplication>
#include <QBuffer>
#include <QElapsedTimer>
#include <QFile>
#include <QPainter>
#include <QPointer>
#include <QTemporaryDir>

#include <malloc.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

using namespace zepla;

namespace {

constexpr int kCycles = 10;
constexpr int kPages = 3000;
constexpr int kReadTo = 600;
constexpr int kPictureKinds = 24; // pictures differ in their bytes this often; every page has its own object

void settle(int ms) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ms)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
}

// Blocks in the heap arenas and blocks given pages of their own alike.
double heapMegabytes() {
    const struct mallinfo2 info = mallinfo2();
    return double(info.uordblks + info.hblkhd) / (1024 * 1024);
}

double loadAverage() {
    QFile file(QStringLiteral("/proc/loadavg"));
    return file.open(QIODevice::ReadOnly) ? file.readAll().split(' ').first().toDouble() : -1;
}

// A photograph-like picture: colour gradients, rings and noise, so that JPEG has work to do.
QByteArray pictureJpeg(int kind) {
    QImage image(480, 360, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const double ring = std::sin(std::hypot(x - 240 + kind * 7, y - 180) / (6 + kind % 5));
            const int noise = int((x * 7919u + y * 104729u + kind * 31u) % 23);
            line[x] = qRgb((x + kind * 10) % 256, int(128 + 100 * ring) - noise, (y * 2 + noise) % 256);
        }
    }
    QPainter painter(&image);
    painter.setPen(Qt::white);
    painter.setFont(QFont(QStringLiteral("DejaVu Sans"), 28));
    painter.drawText(image.rect(), Qt::AlignCenter, QStringLiteral("Picture %1").arg(kind + 1));
    painter.end();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG", 80);
    return bytes;
}

// Object 1 the catalog, 2 the page tree, 3 the font; page i is object 4 + 3i, its content 5 + 3i and its
// picture 6 + 3i.
QByteArray picturePdf() {
    QList<QByteArray> pictures;
    for (int kind = 0; kind < kPictureKinds; ++kind)
        pictures.append(pictureJpeg(kind));
    QByteArray kids;
    for (int i = 0; i < kPages; ++i)
        kids += QByteArray::number(4 + 3 * i) + " 0 R ";
    QList<QByteArray> objects{"<< /Type /Catalog /Pages 2 0 R >>",
                              "<< /Type /Pages /Kids [" + kids + "] /Count " + QByteArray::number(kPages) +
                                  " >>",
                              "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>"};
    for (int i = 0; i < kPages; ++i) {
        const QByteArray n = QByteArray::number(i);
        objects.append(
            "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Resources << /Font << /F1 3 0 R >> "
            "/XObject << /P " +
            QByteArray::number(6 + 3 * i) + " 0 R >> >> /Contents " + QByteArray::number(5 + 3 * i) +
            " 0 R >>");
        const QByteArray content = "BT /F1 14 Tf 72 720 Td (Page " + QByteArray::number(i + 1) +
                                   " of a long illustrated report) Tj ET q 468 351 0 0 72 300 cm /P Do Q";
        objects.append("<< /Length " + QByteArray::number(content.size()) + " >>\nstream\n" + content +
                       "\nendstream");
        const QByteArray& jpeg = pictures[i % kPictureKinds];
        objects.append("<< /Type /XObject /Subtype /Image /Width 480 /Height 360 /ColorSpace /DeviceRGB "
                       "/BitsPerComponent 8 /Filter /DCTDecode /Length " +
                       QByteArray::number(jpeg.size()) + " /Name /P" + n + " >>\nstream\n" + jpeg +
                       "\nendstream");
    }
    return fixtures::assemblePdf(objects);
}

void waitForRendering(pdfview::PDFView& view) {
    QApplication::processEvents();
    while (!view.isRenderingIdle())
        settle(10);
}

} // namespace

int main(int argc, char** argv) {
    // As the program itself starts.
    platform::limitHeapArenas();
    QTemporaryDir home;
    for (const char* variable : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME"})
        qputenv(variable, home.path().toLocal8Bit());
    QApplication application(argc, argv);
    platform::userSettings()->setValue(QLatin1String(platform::DefaultPDFHandler::hasPromptedKey), true);

    QString path = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    if (path.isEmpty()) {
        path = home.filePath(QStringLiteral("illustrated.pdf"));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(picturePdf()) < 0)
            return 1;
    }

    app::ZeplaApp zepla;
    std::printf("Zepla: open %s, page through it to page %d, close; %d times (load %.1f)\n",
                argc > 1 ? qPrintable(path) : "a generated 3,000-page file with a picture on every page",
                kReadTo, kCycles, loadAverage());
    std::printf("before the first open: resident %.1f MiB, heap in use %.1f MiB\n", residentMegabytes(),
                heapMegabytes());
    double first = 0, highest = 0, lowest = 1e9;
    double firstMade = 0, highestMade = 0, lowestMade = 1e9;
    for (int cycle = 1; cycle <= kCycles; ++cycle) {
        zepla.documentController().openDocument(path);
        QPointer<app::DocumentWindow> window;
        while (!(window = zepla.documentController().documentFor(path)))
            settle(20);
        auto* content = qobject_cast<ui::ContentView*>(window->centralWidget());
        while (!content || !content->workspace()) {
            settle(20);
            content = qobject_cast<ui::ContentView*>(window->centralWidget());
        }
        pdfview::AnnotatingPDFView* view = content->workspace()->pdfView();
        waitForRendering(*view);
        const int last = std::min(kReadTo, window->document().pdfDocument()->pageCount() - 1);
        for (int page = 0; page <= last; ++page) {
            view->goToPage(page);
            waitForRendering(*view);
            if (cycle == 1 && page > 0 && page % 200 == 0)
                std::printf("  reading, page %d: resident %.1f MiB, heap in use %.1f MiB\n", page,
                            residentMegabytes(), heapMegabytes());
        }
        const std::weak_ptr<pdf::Document> document = window->document().pdfDocument();
        window->close();
        while (window)
            settle(20);
        settle(2500);
        const double resident = residentMegabytes();
        const double made = statusMegabytes("RssAnon");
        if (cycle == 1) {
            first = resident;
            firstMade = made;
        }
        highest = std::max(highest, resident);
        lowest = std::min(lowest, resident);
        highestMade = std::max(highestMade, made);
        lowestMade = std::min(lowestMade, made);
        std::printf(
            "cycle %2d, closed: resident %.1f MiB (%.1f made by the process, %.1f of mapped files), heap "
            "in use %.1f MiB, document %s (load %.1f)\n",
            cycle, resident, made, statusMegabytes("RssFile"), heapMegabytes(),
            document.expired() ? "freed" : "STILL HELD", loadAverage());
        std::fflush(stdout);
    }
    std::printf(
        "after closing, against the first cycle: %+.1f %% to %+.1f %% resident, %+.1f %% to %+.1f %% made "
        "by the process\n",
        (lowest - first) / first * 100, (highest - first) / first * 100,
        (lowestMade - firstMade) / firstMade * 100, (highestMade - firstMade) / firstMade * 100);
    return 0;
}
