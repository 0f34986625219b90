// A document of 1,000 Letter pages converted to PDF by Zepla's importer and by LibreOffice's headless
// conversion, process against process, taking turns after a warm-up run of each. The source is HTML whose
// pages end in explicit page breaks and hold 20 short lines each, so that both programs write exactly the
// same number of pages; the page counts are checked and printed. `bench_importer FILE` measures FILE
// instead (its page counts may then differ, and the figures say so).
#include "../support/BenchTiming.h"
#include "ExternalTool.h"
#include "document/importer/DocumentImporter.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <limits>

namespace {

constexpr int kPages = 1000;
constexpr int kLinesPerPage = 20;
constexpr int kTimedRounds = 2;

int pageCount(const QString& pdf) {
    const QString info = QString::fromUtf8(runTool("pdfinfo", {pdf}).out);
    return QRegularExpression("Pages:\\s+(\\d+)").match(info).captured(1).toInt();
}

void writeSource(const QString& path) {
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write("<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>Manual</title></head><body>\n");
    for (int page = 0; page < kPages; ++page) {
        file.write(page == 0 ? "<p>" : "<p style=\"page-break-before: always\">");
        for (int line = 0; line < kLinesPerPage; ++line) {
            file.write(
                QStringLiteral("%1. The quick brown fox jumps over the lazy dog near the riverbank.%2\n")
                    .arg(page * kLinesPerPage + line, 5, 10, QChar('0'))
                    .arg(line + 1 < kLinesPerPage ? "<br>" : "")
                    .toUtf8());
        }
        file.write("</p>\n");
    }
    file.write("</body></html>\n");
}

struct Run {
    qint64 ms = -1; // -1 when the conversion failed
    QString pdf;
};

// This program again, converting the file through the importer and printing the new PDF's path.
Run timeZeplaConversion(const QString& source) {
    QElapsedTimer clock;
    clock.start();
    const ToolRun run = runTool(QCoreApplication::applicationFilePath(), {"--convert", source}, 600000);
    const qint64 ms = clock.elapsed();
    if (run.exitCode != 0)
        return {};
    return {ms, QString::fromUtf8(run.out).trimmed()};
}

Run timeOfficeConversion(const QString& source, const QString& profile, const QString& outDir) {
    QDir(outDir).removeRecursively();
    QDir().mkpath(outDir);
    QElapsedTimer clock;
    clock.start();
    const ToolRun run = runTool(
        "soffice", {profile, "--headless", "--convert-to", "pdf", "--outdir", outDir, source}, 600000);
    const qint64 ms = clock.elapsed();
    if (run.exitCode != 0)
        return {};
    return {ms, outDir + '/' + QFileInfo(source).completeBaseName() + ".pdf"};
}

void report(const char* who, const char* what, qint64 ms, int pages) {
    std::printf("%-12s %-58s %8.2f s %6d pages %8.1f pages/s\n", who, what, ms / 1000.0, pages,
                ms > 0 ? pages * 1000.0 / ms : 0.0);
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    if (arguments.size() == 3 && arguments[1] == "--convert") {
        const auto result = zepla::document::DocumentImporter::convert(arguments[2]);
        if (!result) {
            std::fprintf(stderr, "Zepla failed: %s\n", qPrintable(result.error().reason));
            return 1;
        }
        std::printf("%s\n", qPrintable(result.value()));
        return 0;
    }

    QTemporaryDir dir;
    const bool ownFile = arguments.size() > 1;
    const QString source = ownFile ? arguments[1] : dir.filePath("manual.html");
    if (!ownFile)
        writeSource(source);
    std::printf("source: %s, %.1f MB%s\n", qPrintable(QFileInfo(source).fileName()),
                QFile(source).size() / 1e6,
                ownFile ? "" : " of HTML, 1,000 pages of 20 lines with explicit page breaks");
    std::printf("each side is a whole process per conversion; one warm-up run each (LibreOffice's profile is "
                "made then), then %d rounds taking turns; best of each\n\n",
                kTimedRounds);

    const QString profile = "-env:UserInstallation=file://" + dir.filePath("profile");
    const QString officeOut = dir.filePath("office");
    qint64 oursBest = std::numeric_limits<qint64>::max(), officeBest = std::numeric_limits<qint64>::max();
    Run ours, office;
    for (int round = 0; round <= kTimedRounds; ++round) {
        runBothInTurn(
            round, [&] { ours = timeZeplaConversion(source); },
            [&] { office = timeOfficeConversion(source, profile, officeOut); });
        if (ours.ms < 0 || office.ms < 0) {
            std::printf("%s failed\n", ours.ms < 0 ? "Zepla" : "LibreOffice");
            return 1;
        }
        if (round > 0) {
            oursBest = std::min(oursBest, ours.ms);
            officeBest = std::min(officeBest, office.ms);
        }
    }
    const int oursPages = pageCount(ours.pdf);
    const int officePages = pageCount(office.pdf);
    report("Zepla", "importer in its own process (QTextDocument, QPdfWriter)", oursBest, oursPages);
    report("LibreOffice", "soffice --headless --convert-to pdf (warm profile)", officeBest, officePages);
    if (oursPages != officePages)
        std::printf("\nthe page counts differ: compare pages per second, not the times\n");
    std::printf("\nZepla is %.1fx as fast\n", double(officeBest) / double(std::max<qint64>(oursBest, 1)));
    return 0;
}
