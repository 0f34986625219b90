// OCR speed, accuracy and size, process against process on the same file: a 16-page scan made here (pages of
// known words drawn at 300 dpi and speckled like a scan) given a searchable text layer
//  - by Zepla: this program run again as a child that opens the PDF, recognises every page in parallel (one
//    engine per core), keeps each scan with the text laid over it and saves the file;
//  - by the peers: per page, `mutool draw` renders it at 300 dpi in grey (uncompressed PGM, so that no
//    work is spent on an intermediate file format) and `tesseract` writes a page PDF of the picture with its
//    text (one page per core at a time), then `qpdf` joins the pages into one file.
// Both sides draw the same pages from the same PDF at the same resolution and write one searchable PDF, and
// recognise at the same scheduling priority: the peers' renders and recognitions run at the niceness Zepla's
// workers take, so that other load on the machine slows both alike. One warm-up run of each side on two
// pages, then five alternating rounds; wall time with its spread, processor time per page, the known words
// pdftotext finds in each output, and the output's size beside the input's.
#include "ScannedPages.h"
#include "core/WorkerPriority.h"
#include "document/PDFEditorDocument.h"
#include "document/ocr/DocumentRecognition.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <map>
#include <optional>

using namespace zepla;

namespace {

constexpr int pageCount = 16;
constexpr int linesPerPage = 28;

const QStringList vocabulary =
    QStringLiteral(
        "the report shows that every page of the archive was scanned again after the storm and that most of "
        "the letters can still be read although some margins are stained the committee asked for a summary "
        "of "
        "each chapter with dates names and places so that the index could be rebuilt before the library "
        "opens "
        "in spring members agreed to meet every Tuesday at seven to compare notes and correct the "
        "transcripts "
        "while volunteers check numbers such as 1874 1912 and 2026 against the original ledgers")
        .split(QLatin1Char(' '));

// Lines of words drawn from the vocabulary, different on every page.
QStringList pageLines(int page) {
    QRandomGenerator random(quint32(page + 7));
    QStringList lines;
    for (int l = 0; l < linesPerPage; ++l) {
        QStringList words;
        for (int w = 0; w < 9; ++w)
            words.append(vocabulary[random.bounded(int(vocabulary.size()))]);
        lines.append(words.join(QLatin1Char(' ')));
    }
    return lines;
}

// The share of the known words found in `text`, each found word counted once.
double wordAccuracy(const QStringList& known, const QString& text) {
    std::map<QString, int> found;
    for (const QString& word : text.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts))
        ++found[word];
    int matched = 0;
    for (const QString& word : known) {
        if (found[word] > 0) {
            --found[word];
            ++matched;
        }
    }
    return known.isEmpty() ? 0 : double(matched) / double(known.size());
}

QStringList words(const QStringList& lines) {
    return lines.join(QLatin1Char(' ')).split(QLatin1Char(' '));
}

// The Zepla side, in the child: recognise every page of `in` that needs it and save the result as `out`.
int recognizeFile(const QString& in, const QString& out) {
    QFile file(in);
    if (!file.open(QIODevice::ReadOnly))
        return 2;
    auto read = document::PDFEditorDocument::read(file.readAll());
    if (!read)
        return 2;
    auto& document = *read.value();
    document::DocumentRecognition run(document, nullptr);
    std::optional<document::DocumentRecognition::Outcome> outcome;
    QObject::connect(&run, &document::DocumentRecognition::finished, [&](const auto& o) { outcome = o; });
    run.start();
    while (!outcome)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    const auto saved = document.pdfDocument()->save();
    QFile written(out);
    if (outcome->pagesFailed > 0 || !saved || !written.open(QIODevice::WriteOnly) ||
        written.write(saved.value()) != saved.value().size())
        return 3;
    return 0;
}

double childProcessorSeconds() {
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

bool run(const QString& program, const QStringList& arguments) {
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("OMP_THREAD_LIMIT"), QStringLiteral("1"));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    const bool ok = process.waitForFinished(-1) && process.exitStatus() == QProcess::NormalExit &&
                    process.exitCode() == 0;
    if (!ok)
        std::fprintf(stderr, "%s ended with %d (%s): %s\n", qPrintable(program), process.exitCode(),
                     process.exitStatus() == QProcess::NormalExit ? "exit" : "crash",
                     process.readAllStandardError().right(300).constData());
    return ok;
}

struct Timing {
    double seconds = 0;
    double processorSeconds = 0;
    bool ok = false;
};

Timing timed(const std::function<bool()>& work) {
    const double processor = childProcessorSeconds();
    QElapsedTimer timer;
    timer.start();
    const bool ok = work();
    return {timer.nsecsElapsed() / 1e9, childProcessorSeconds() - processor, ok};
}

// Zepla: one process recognising the whole file.
Timing zeplaSide(const QString& in, const QString& out) {
    return timed([&] { return run(QCoreApplication::applicationFilePath(), {"--recognize", in, out}); });
}

// The peers: a render and a recognition per page, one page per core at a time, then the pages joined.
Timing peersSide(const QString& in, int pages, const QString& out, const QTemporaryDir& folder, int cores) {
    return timed([&] {
        std::vector<std::unique_ptr<QProcess>> running;
        bool ok = true;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("OMP_THREAD_LIMIT"), QStringLiteral("1"));
        for (int next = 0; next < pages || !running.empty();) {
            while (next < pages && int(running.size()) < cores) {
                const QString page = folder.filePath(QStringLiteral("peer-%1").arg(next));
                auto process = std::make_unique<QProcess>();
                process->setProcessEnvironment(environment);
                process->start(QStringLiteral("nice"),
                               {"-n", QString::number(platform::workerNiceness), "sh", "-c",
                                QStringLiteral("mutool draw -q -r 300 -c gray -o '%1.pgm' '%2' %3 && "
                                               "tesseract '%1.pgm' '%1' -l eng pdf 2>/dev/null")
                                    .arg(page, in)
                                    .arg(next + 1)});
                running.push_back(std::move(process));
                ++next;
            }
            running.front()->waitForFinished(-1);
            ok = ok && running.front()->exitCode() == 0;
            running.erase(running.begin());
        }
        QStringList join{"--empty", "--pages"};
        for (int p = 0; p < pages; ++p)
            join << folder.filePath(QStringLiteral("peer-%1.pdf").arg(p));
        join << "--" << out;
        return ok && run(QStringLiteral("qpdf"), join);
    });
}

QString textOf(const QString& pdf) {
    QProcess process;
    process.start(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
    process.waitForFinished(-1);
    return QString::fromUtf8(process.readAllStandardOutput());
}

QByteArray scanFile(int pages, QStringList* known) {
    auto pdf = pdf::Document::createEmpty();
    for (int p = 0; p < pages; ++p) {
        scanned::Page page{pageLines(p)};
        page.fontSize = 11;
        page.noise = 0.003;
        page.jpeg = true;
        scanned::append(*pdf, page, quint32(p + 1));
        if (known)
            *known += words(page.lines);
    }
    return pdf->save().value();
}

void write(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

void print(const char* side, const Timing& t, int pages) {
    std::printf("  %-9s %6.1f s  %6.1f pages/min  %4.0f %% CPU%s\n", side, t.seconds, pages * 60 / t.seconds,
                100 * t.processorSeconds / t.seconds, t.ok ? "" : "  FAILED");
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    if (arguments.size() == 4 && arguments[1] == QLatin1String("--recognize"))
        return recognizeFile(arguments[2], arguments[3]);
    for (const char* tool : {"tesseract", "mutool", "qpdf", "pdftotext"}) {
        if (QStandardPaths::findExecutable(QLatin1String(tool)).isEmpty()) {
            std::fprintf(stderr, "%s is needed (scripts/setup installs it)\n", tool);
            return 1;
        }
    }
    QTemporaryDir folder;
    QStringList known;
    const QString scan = folder.filePath("scan.pdf");
    const QString warmScan = folder.filePath("warm.pdf");
    write(scan, scanFile(pageCount, &known));
    write(warmScan, scanFile(2, nullptr));
    const int cores = QThread::idealThreadCount();
    const qint64 inputSize = QFileInfo(scan).size();
    std::printf("%d scanned pages at 300 dpi, grey JPEG (%lld known words, %lld bytes), %d cores\n",
                pageCount, qlonglong(known.size()), inputSize, cores);
    std::printf(
        "zepla: one process opens the PDF, recognises every page in parallel, keeps each scan with the "
        "text over it, saves one PDF\n");
    std::printf("peers: per page `mutool draw -r 300 -c gray` to PGM then `tesseract ... pdf`, %d at a time, "
                "then `qpdf` "
                "joins the pages into one PDF\n",
                cores);

    const QString oursOut = folder.filePath("zepla.pdf");
    const QString peersOut = folder.filePath("peers.pdf");
    zeplaSide(warmScan, folder.filePath("warm-zepla.pdf"));
    peersSide(warmScan, 2, folder.filePath("warm-peers.pdf"), folder, cores);
    std::vector<Timing> ours, theirs;
    for (int round = 0; round < 5; ++round) {
        std::printf("round %d\n", round + 1);
        for (int side = 0; side < 2; ++side) {
            // Alternating which side goes first.
            if ((side + round) % 2 == 0) {
                ours.push_back(zeplaSide(scan, oursOut));
                print("zepla", ours.back(), pageCount);
            } else {
                theirs.push_back(peersSide(scan, pageCount, peersOut, folder, cores));
                print("peers", theirs.back(), pageCount);
            }
        }
    }
    // Each round's ratio, the two sides of a round having run back to back.
    std::vector<double> ratios;
    for (std::size_t r = 0; r < ours.size(); ++r)
        ratios.push_back(theirs[r].seconds / ours[r].seconds);
    std::sort(ratios.begin(), ratios.end());
    const auto bySeconds = [](const Timing& a, const Timing& b) { return a.seconds < b.seconds; };
    std::sort(ours.begin(), ours.end(), bySeconds);
    std::sort(theirs.begin(), theirs.end(), bySeconds);
    const Timing& oursMedian = ours[ours.size() / 2];
    const Timing& theirsMedian = theirs[theirs.size() / 2];
    std::printf(
        "median    zepla %.1f s (%.1f-%.1f), peers %.1f s (%.1f-%.1f): zepla's throughput is %.2fx the "
        "peers' (rounds %.2f-%.2fx)\n",
        oursMedian.seconds, ours.front().seconds, ours.back().seconds, theirsMedian.seconds,
        theirs.front().seconds, theirs.back().seconds, theirsMedian.seconds / oursMedian.seconds,
        ratios.front(), ratios.back());
    std::printf(
        "processor zepla %.2f s, peers %.2f s per page in the median rounds: %.2fx the peers' pages per "
        "processor second\n",
        oursMedian.processorSeconds / pageCount, theirsMedian.processorSeconds / pageCount,
        theirsMedian.processorSeconds / oursMedian.processorSeconds);
    std::printf("words     zepla %.1f %%, peers %.1f %% of the known words found by pdftotext\n",
                100 * wordAccuracy(known, textOf(oursOut)), 100 * wordAccuracy(known, textOf(peersOut)));
    std::printf("size      input %lld bytes; zepla %lld bytes (%.2fx), peers %lld bytes (%.2fx)\n", inputSize,
                QFileInfo(oursOut).size(), double(QFileInfo(oursOut).size()) / double(inputSize),
                QFileInfo(peersOut).size(), double(QFileInfo(peersOut).size()) / double(inputSize));
    return 0;
}
