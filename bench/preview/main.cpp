// Prints, for an xlsx (2,000 rows) and a pptx (12 slides) that it makes with LibreOffice first, how long the
// preview window takes from the request to its first page drawn complete on screen (LibreOffice converting
// the file to PDF with a fresh profile, MuPDF opening it, the text read, the page rendered), how long the
// request itself holds the caller before the window is up, and the longest stall of the event loop on the
// way; beside `soffice --headless --convert-to pdf` of the same file with a fresh profile, which only
// converts. Two runs each, in turn.
#include "../support/StallProbe.h"
#include "ExternalTool.h"
#include "pdfview/view/PDFView.h"
#include "ui/preview/PreviewContentView.h"
#include "ui/preview/PreviewWindowController.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLabel>
#include <QMainWindow>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>

using namespace zepla;

namespace {

QString makeSpreadsheet(const QString& folder) {
    QByteArray csv = "Region,Product,Quarter,Units,Revenue\n";
    for (int row = 0; row < 2000; ++row)
        csv += QByteArray("Region ") + QByteArray::number(row % 17) + ",Product " +
               QByteArray::number(row % 41) + ",Q" + QByteArray::number(row % 4 + 1) + ',' +
               QByteArray::number(row * 7 % 500) + ',' + QByteArray::number(row * 13 % 9000) + '\n';
    return convertWithOffice(writeTestBytes(folder + "/sales.csv", csv), "xlsx", folder);
}

QString makePresentation(const QString& folder) {
    QByteArray pages;
    for (int slide = 1; slide <= 12; ++slide)
        pages += "<draw:page draw:name=\"s" + QByteArray::number(slide) +
                 "\"><draw:frame svg:x=\"2cm\" svg:y=\"2cm\" svg:width=\"20cm\" svg:height=\"10cm\">"
                 "<draw:text-box><text:p>Slide " +
                 QByteArray::number(slide) +
                 ": migrating flamingos</text:p><text:p>Numbers, routes and the weather on the way.</text:p>"
                 "</draw:text-box></draw:frame></draw:page>";
    const QByteArray flat =
        R"(<?xml version="1.0" encoding="UTF-8"?><office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0" xmlns:draw="urn:oasis:names:tc:opendocument:xmlns:drawing:1.0" xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0" xmlns:svg="urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0" xmlns:presentation="urn:oasis:names:tc:opendocument:xmlns:presentation:1.0" office:version="1.2" office:mimetype="application/vnd.oasis.opendocument.presentation"><office:body><office:presentation>)" +
        pages + "</office:presentation></office:body></office:document>";
    return convertWithOffice(writeTestBytes(folder + "/talk.fodp", flat), "pptx", folder);
}

struct PreviewRun {
    double requestMs = 0;
    double firstPageMs = -1;
    double longestStallMs = 0;
    double longestBusyMs = 0;
};

PreviewRun preview(const QString& path) {
    PreviewRun run;
    StallProbe probe;
    probe.start();
    QElapsedTimer clock;
    clock.start();
    ui::PreviewWindowController* controller = ui::PreviewWindowController::open(path);
    run.requestMs = double(clock.nsecsElapsed()) / 1e6;
    QEventLoop loop;
    QObject::connect(controller->content()->pdfView(), &pdfview::PDFView::pageDrawn, &loop,
                     [&](int page, bool complete) {
                         if (page == 0 && complete && run.firstPageMs < 0) {
                             run.firstPageMs = double(clock.nsecsElapsed()) / 1e6;
                             loop.quit();
                         }
                     });
    QObject::connect(controller->content(), &ui::PreviewContentView::textReady, &loop, [&] {
        if (!controller->content()->errorLine()->isHidden())
            loop.quit();
    });
    QTimer::singleShot(180000, &loop, &QEventLoop::quit);
    loop.exec();
    const StallProbe::Figures stalls = probe.stop(16);
    run.longestStallMs = stalls.longestMs;
    run.longestBusyMs = stalls.longestBusyMs;
    controller->window()->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return run;
}

double officeConversion(const QString& path, const QString& folder) {
    QTemporaryDir out(folder + "/office-XXXXXX");
    QElapsedTimer clock;
    clock.start();
    const ToolRun run =
        runTool("soffice", {"-env:UserInstallation=file://" + out.path() + "/profile", "--headless",
                            "--convert-to", "pdf", "--outdir", out.path(), path});
    return run.exitCode == 0 ? double(clock.nsecsElapsed()) / 1e6 : -1;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QTemporaryDir folder;
    const QList<std::pair<const char*, QString>> files{{"xlsx, 2,000 rows", makeSpreadsheet(folder.path())},
                                                       {"pptx, 12 slides", makePresentation(folder.path())}};
    std::printf("%-18s %4s %14s %18s %14s %12s %20s\n", "file", "run", "request (ms)", "first page (ms)",
                "stall (ms)", "busy (ms)", "soffice to PDF (ms)");
    for (const auto& [name, path] : files) {
        for (int attempt = 1; attempt <= 2; ++attempt) {
            const PreviewRun ours = preview(path);
            const double office = officeConversion(path, folder.path());
            std::printf("%-18s %4d %14.1f %18.0f %14.1f %12.1f %20.0f\n", name, attempt, ours.requestMs,
                        ours.firstPageMs, ours.longestStallMs, ours.longestBusyMs, office);
        }
    }
    std::printf("first page: request to page 1 drawn complete in the preview window (conversion with a fresh "
                "profile, opening, text, rendering);\nsoffice: the same file converted to PDF by LibreOffice "
                "alone, with a fresh profile, nothing shown; -1: failed;\nstall: the longest gap of the "
                "event loop on the "
                "way; busy: the most processor time the UI thread spent within one gap.\n");
    return 0;
}
