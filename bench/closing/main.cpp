// Memory given back on closing: the same file opened in a document window, read through (pages and
// thumbnails drawn), and closed, five times over; after each close it prints the program's resident memory.
// A window that gives back its caches on closing leaves the later cycles where the first one ended. It sets
// up the heap as the program's main does.
// Run under an X server (or QT_QPA_PLATFORM=offscreen); preferences go to a temporary home.
#include "../support/ResidentMemory.h"
#include "PdfFixtures.h"
#include "app/DocumentController.h"
#include "app/DocumentWindow.h"
#include "app/ZeplaApp.h"
#include "core/DefaultPDFHandler.h"
#include "core/MemoryRelease.h"
#include "core/Settings.h"
#include "pdfview/annotating/AnnotatingPDFView.h"
#include "ui/window/ContentView.h"
#include "ui/workspace/PDFEditorWorkspaceView.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QPointer>
#include <QTemporaryDir>

#include <cstdio>

using namespace zepla;

namespace {

constexpr int kCycles = 5;
constexpr int kPages = 120;

void settle(int ms) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ms)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
}

// Pages with text and a picture-like pattern, so that drawing them fills the caches.
QByteArray closingPdf() {
    fixtures::DocSpec spec;
    for (int i = 0; i < kPages; ++i)
        spec.pages.append(fixtures::PageSpec{
            .text = QStringLiteral("Page %1 of the closing benchmark").arg(i + 1),
            .drawing = QByteArray("0.2 0.5 0.8 rg 36 300 540 400 re f 1 0.5 0 rg 72 340 200 120 re f")});
    return fixtures::makePdf(spec);
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

    const QString path = home.filePath(QStringLiteral("closing.pdf"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(closingPdf()) < 0)
        return 1;
    file.close();

    app::ZeplaApp zepla;
    std::printf("Zepla: open %d-page file, page through it, close; resident memory after each close\n",
                kPages);
    std::printf("before the first open: %.1f MiB\n", residentMegabytes());
    double first = 0, last = 0;
    for (int cycle = 1; cycle <= kCycles; ++cycle) {
        zepla.documentController().openDocument(path);
        QPointer<app::DocumentWindow> window;
        while (!(window = zepla.documentController().documentFor(path)))
            settle(20);
        settle(1500);
        auto* content = qobject_cast<ui::ContentView*>(window->centralWidget());
        if (content && content->workspace())
            for (int page = 0; page < kPages; page += 10) {
                content->workspace()->pdfView()->goToPage(page);
                settle(100);
            }
        window->close();
        while (window)
            settle(20);
        settle(1500);
        last = residentMegabytes();
        if (cycle == 1)
            first = last;
        std::printf("cycle %d: %.1f MiB\n", cycle, last);
    }
    std::printf("last cycle against the first: %+.1f %%\n", (last - first) / first * 100);
    return 0;
}
