// Opening files of a gigabyte and files that are no files: how long it takes and how much resident memory
// the process gains. Each row runs in a child process of its own, so that one row's peak is not another's.
//
//   bench_file_open [folder]    (default: a temporary folder; the files are sparse and take almost no room)
//
// The resident figures count the file's pages the system maps in while they are read: cache it takes back
// whenever memory is short, and which opening gives back when it is done ("now").
#include "PdfFixtures.h"
#include "pdf/PdfDocument.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <sys/stat.h>

#include <cstdio>

namespace {

constexpr qint64 kGigabyte = qint64(1) << 30;

qint64 statusKb(const char* key) {
    QFile status("/proc/self/status");
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(key))
            return line.mid(qsizetype(qstrlen(key))).trimmed().split(' ').first().toLongLong();
    return -1;
}

void writeWithHole(const QString& path, const QByteArray& bytes, qsizetype at, qint64 hole) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes.left(at)) != at || !file.resize(at + hole) ||
        !file.seek(at + hole) || file.write(bytes.mid(at)) != bytes.size() - at)
        qFatal("cannot write %s", qPrintable(path));
}

// One row, in this process: opens `path`, reads the last page's text, and prints the figures.
int measure(const QString& label, const QString& path) {
    const qint64 before = statusKb("VmRSS:");
    QElapsedTimer clock;
    clock.start();
    auto opened = zepla::pdf::Document::openFile(path);
    QString outcome = QStringLiteral("refused");
    if (opened.ok()) {
        const int pages = opened.value()->pageCount();
        const bool text = pages > 0 && opened.value()->pageText(pages - 1).ok();
        outcome = QStringLiteral("%1 pages%2").arg(pages).arg(text ? ", text read" : "");
    }
    std::printf("%-44s %8lld ms  peak +%7lld kB  now +%7lld kB  %s\n", qPrintable(label),
                static_cast<long long>(clock.elapsed()), static_cast<long long>(statusKb("VmHWM:") - before),
                static_cast<long long>(statusKb("VmRSS:") - before), qPrintable(outcome));
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 4 && args[1] == "--row")
        return measure(args[2], args[3]);

    QTemporaryDir temporary;
    const QString folder = args.size() > 1 ? args[1] : temporary.path();
    auto at = [&](const QString& name) { return QDir(folder).filePath(name); };

    const QByteArray pdf = fixtures::makeTextPdf(3, "distant");
    const qsizetype table = pdf.lastIndexOf("\nxref") + 1;
    QByteArray moved = pdf;
    const qsizetype startxref = moved.lastIndexOf("startxref\n") + 10;
    moved.replace(startxref, moved.indexOf('\n', startxref) - startxref,
                  QByteArray::number(table + kGigabyte));
    writeWithHole(at("large.pdf"), moved, table, kGigabyte);
    writeWithHole(at("sparse.pdf"), "", 0, 2 * kGigabyte);
    writeWithHole(at("header-only.pdf"), "%PDF-1.7\n", 9, kGigabyte);
    QFile::link("/dev/zero", at("zero.pdf"));
    ::mkfifo(QFile::encodeName(at("fifo.pdf")).constData(), 0600);
    QDir().mkdir(at("folder.pdf"));

    std::printf("%-44s %11s  %13s  %12s  %s\n", "file", "time", "resident peak", "resident now", "outcome");
    std::fflush(stdout);
    const std::pair<const char*, const char*> rows[] = {
        {"1 GB: objects, a hole, the table", "large.pdf"},
        {"2 GB sparse, no header", "sparse.pdf"},
        {"1 GB sparse after a header (repaired)", "header-only.pdf"},
        {"/dev/zero named .pdf", "zero.pdf"},
        {"FIFO named .pdf", "fifo.pdf"},
        {"folder named .pdf", "folder.pdf"},
    };
    for (const auto& [label, name] : rows) {
        QProcess row;
        row.setProcessChannelMode(QProcess::ForwardedChannels);
        row.start(QCoreApplication::applicationFilePath(), {"--row", label, at(name)});
        row.waitForFinished(-1);
    }
    return 0;
}
