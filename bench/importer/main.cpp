// A plain text file of about 1,000 Letter pages converted to PDF: Zepla's importer beside LibreOffice's own
// headless conversion of the same file, in one run. Prints the time and pages per second of each.
// `bench_importer FILE` measures FILE instead.
#include "ExternalTool.h"
#include "document/importer/DocumentImporter.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <cstdio>

namespace {

int pageCount(const QString& pdf) {
    const QString info = QString::fromUtf8(runTool("pdfinfo", {pdf}).out);
    return QRegularExpression("Pages:\\s+(\\d+)").match(info).captured(1).toInt();
}

void report(const char* who, const char* what, qint64 ms, int pages) {
    std::printf("%-12s %-52s %8.2f s %6d pages %8.1f pages/s\n", who, what, ms / 1000.0, pages,
                ms > 0 ? pages * 1000.0 / ms : 0.0);
}

} // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    QTemporaryDir dir;
    const bool ownFile = argc > 1;
    const QString source = ownFile ? QString::fromLocal8Bit(argv[1]) : dir.filePath("manual.txt");
    if (!ownFile) {
        QFile file(source);
        file.open(QIODevice::WriteOnly);
        // 44 lines of about 70 characters fill a Letter page in either program; a blank line between
        // paragraphs.
        for (int line = 0; line < 44 * 1000; ++line)
            file.write(QStringLiteral("%1. The quick brown fox jumps over the lazy dog near the riverbank.\n")
                           .arg(line, 5, 10, QChar('0'))
                           .toUtf8());
    }
    std::printf("source: %s, %.1f MB of plain text\n\n", qPrintable(source), QFile(source).size() / 1e6);

    QElapsedTimer clock;
    clock.start();
    const auto ours = zepla::document::DocumentImporter::convert(source);
    const qint64 oursMs = clock.elapsed();
    if (!std::holds_alternative<QString>(ours)) {
        std::printf("Zepla failed: %s\n", qPrintable(std::get<1>(ours).reason));
        return 1;
    }
    report("Zepla", "QTextDocument laid out on Letter, QPdfWriter", oursMs,
           pageCount(std::get<QString>(ours)));

    const QString officeOut = dir.filePath("office");
    QDir().mkpath(officeOut);
    // The profile is made first, so the timed run measures the conversion and not LibreOffice's first start.
    const QString profile = "-env:UserInstallation=file://" + dir.filePath("profile");
    runTool("soffice", {profile, "--headless", "--terminate_after_init"});
    clock.restart();
    const ToolRun office = runTool(
        "soffice", {profile, "--headless", "--convert-to", "pdf", "--outdir", officeOut, source}, 600000);
    const qint64 officeMs = clock.elapsed();
    if (office.exitCode != 0) {
        std::printf("LibreOffice failed\n");
        return 1;
    }
    report("LibreOffice", "soffice --headless --convert-to pdf (warm profile)", officeMs,
           pageCount(officeOut + '/' + QFileInfo(source).completeBaseName() + ".pdf"));
    std::printf("\nZepla is %.1fx as fast\n", double(officeMs) / double(std::max<qint64>(oursMs, 1)));
    return 0;
}
