// OCR speed and accuracy: a 16-page scanned document made here (pages of known words drawn at 300 dpi and
// speckled like a scan) given a text layer by Zepla's whole-document recognition (pages in parallel, one
// engine per core), beside the `tesseract` command run on the same 300-dpi pictures, one process per core,
// in the same run. Pages per minute for both, and the share of the known words each gets back (Zepla's from
// the text layer of the rebuilt pages, tesseract's from its text output).
#include "ScannedPages.h"
#include "document/PDFEditorDocument.h"
#include "document/ocr/DocumentRecognition.h"

#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include <cstdio>
#include <map>

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

} // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    if (QStandardPaths::findExecutable(QStringLiteral("tesseract")).isEmpty()) {
        std::fprintf(stderr, "the tesseract command is needed (scripts/setup installs tesseract-ocr)\n");
        return 1;
    }
    QTemporaryDir folder;
    auto pdf = pdf::Document::createEmpty();
    QStringList known;
    QStringList pictures;
    for (int p = 0; p < pageCount; ++p) {
        scanned::Page page{pageLines(p)};
        page.fontSize = 11;
        page.noise = 0.003;
        scanned::append(*pdf, page, quint32(p + 1));
        const QString path = folder.filePath(QStringLiteral("page%1.png").arg(p));
        scanned::picture(page, quint32(p + 1)).save(path);
        pictures.append(path);
        known += words(page.lines);
    }
    auto read = document::PDFEditorDocument::read(pdf->save().value());
    auto& document = *std::get<std::unique_ptr<document::PDFEditorDocument>>(read);
    const int cores = QThread::idealThreadCount();
    std::printf("%d scanned pages at 300 dpi (%lld known words), %d cores\n", pageCount,
                qlonglong(known.size()), cores);

    // Zepla: render at 300 dpi, recognise, rebuild every page with its text layer, one undo step.
    QElapsedTimer timer;
    timer.start();
    document::DocumentRecognition run(document, nullptr);
    std::optional<document::DocumentRecognition::Outcome> outcome;
    QObject::connect(&run, &document::DocumentRecognition::finished, [&](const auto& o) { outcome = o; });
    double recognizedSeconds = 0;
    QObject::connect(&run, &document::DocumentRecognition::progressed, [&](int done, int total) {
        if (done == total)
            recognizedSeconds = timer.elapsed() / 1000.0;
    });
    run.start();
    while (!outcome)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    const double oursSeconds = timer.elapsed() / 1000.0;
    QString oursText;
    for (int p = 0; p < pageCount; ++p)
        oursText += document.pdfDocument()->pageText(p).value() + QLatin1Char('\n');

    // tesseract: the same pictures, one process per core at a time.
    timer.restart();
    QString peerText;
    int next = 0;
    std::vector<std::unique_ptr<QProcess>> running;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("OMP_THREAD_LIMIT"), QStringLiteral("1"));
    std::map<QProcess*, QString> outputs;
    while (next < pageCount || !running.empty()) {
        while (next < pageCount && int(running.size()) < cores) {
            auto process = std::make_unique<QProcess>();
            process->setProcessEnvironment(environment);
            process->start(QStringLiteral("tesseract"),
                           {pictures[next], QStringLiteral("stdout"), "-l", "eng"});
            running.push_back(std::move(process));
            ++next;
        }
        running.front()->waitForFinished(-1);
        peerText += QString::fromUtf8(running.front()->readAllStandardOutput()) + QLatin1Char('\n');
        running.erase(running.begin());
    }
    const double peerSeconds = timer.elapsed() / 1000.0;

    const double ours = pageCount * 60 / oursSeconds;
    const double peer = pageCount * 60 / peerSeconds;
    std::printf(
        "zepla     %6.1f pages/min (%.1f s: %.1f s rendering and recognising, %.1f s rebuilding pages; "
        "%d given a text layer, %d failed) word accuracy %.1f%%\n",
        ours, oursSeconds, recognizedSeconds, oursSeconds - recognizedSeconds, outcome->pagesWithTextLayer,
        outcome->pagesFailed, 100 * wordAccuracy(known, oursText));
    std::printf(
        "tesseract %6.1f pages/min (%.1f s; PNG in, text out)                    word accuracy %.1f%%\n",
        peer, peerSeconds, 100 * wordAccuracy(known, peerText));
    std::printf("zepla / tesseract: %.2fx\n", ours / peer);
    return 0;
}
