// Launch figures under an X server (run it through bench/launch/run.sh, which starts a virtual one): how
// soon Zepla shows its window and paints its first page after being started, beside the desktop's stock
// viewer, evince, on the same files in the same run; and the longest stall of Zepla's event loop while
// jumping with End, Home and thumbnail clicks through a long document.
//
// Zepla's times come from its own paints (it logs the milestones under "zepla.launch") and, like
// evince's, from polling the screen's pixels: the window counts as shown when a tenth of the screen has
// changed, the page as painted when the orange block that tops every page of the test files shows.
#include "../support/StallProbe.h"
#include "PdfFixtures.h"
#include "annotations/ToolState.h"
#include "core/UndoManager.h"
#include "document/PDFEditorDocument.h"
#include "pdfview/annotating/AnnotatingPDFView.h"
#include "ui/sidebar/ThumbnailListView.h"
#include "ui/sidebar/ThumbnailSidebar.h"
#include "ui/workspace/PDFEditorWorkspaceView.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QScreen>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <optional>
#include <vector>

using namespace zepla;

namespace {

constexpr int kRuns = 5;
constexpr int kLongPages = 3600;
constexpr int kSmallPages = 12;
constexpr int kJumps = 150;
constexpr double kFrameMs = 16;
constexpr int kBlockPixels = 20000; // orange pixels that mean the first page is on screen
const QColor kBlock(255, 128, 0);

double nowMs() {
    return std::chrono::duration<double, std::milli>(std::chrono::system_clock::now().time_since_epoch())
        .count();
}

// Pages topped by an orange block over their upper third, with a line of text below it.
QByteArray blockPdf(int pages) {
    fixtures::DocSpec spec;
    for (int i = 0; i < pages; ++i)
        spec.pages.append(fixtures::PageSpec{.text = QStringLiteral("Page %1 of a long manual").arg(i + 1),
                                             .drawing = "1 0.5 0 rg 36 520 540 236 re f"});
    return fixtures::makePdf(spec);
}

struct Launch {
    std::optional<double> windowMs;       // from the pixels
    std::optional<double> pageMs;         // from the pixels
    std::optional<double> loggedWindowMs; // from the application's own paint log
    std::optional<double> loggedPageMs;
};

int differingPixels(const QImage& a, const QImage& b) {
    int count = 0;
    for (int y = 0; y < a.height(); y += 2) {
        const auto* pa = reinterpret_cast<const QRgb*>(a.constScanLine(y));
        const auto* pb = reinterpret_cast<const QRgb*>(b.constScanLine(y));
        for (int x = 0; x < a.width(); x += 2)
            count += pa[x] != pb[x] ? 4 : 0;
    }
    return count;
}

int blockPixels(const QImage& image) {
    int count = 0;
    for (int y = 0; y < image.height(); y += 2) {
        const auto* p = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); x += 2) {
            const QColor c(p[x]);
            count += std::abs(c.red() - kBlock.red()) < 12 && std::abs(c.green() - kBlock.green()) < 12 &&
                             c.blue() < 12
                         ? 4
                         : 0;
        }
    }
    return count;
}

QImage grabScreen() {
    return QGuiApplication::primaryScreen()->grabWindow(0).toImage().convertToFormat(QImage::Format_RGB32);
}

// Starts a program on the file, with a home of its own so no remembered state changes what it does, and
// polls the screen until the first page shows (or ten seconds pass); then ends it.
// With `frames` set, every screen polled is also saved there, named by its time after the start in ms.
Launch launch(const QString& program, const QStringList& arguments, const QString& home, bool zepla,
              const QString& frames = {}) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("HOME", home);
    environment.insert("XDG_CONFIG_HOME", home + "/.config");
    environment.insert("XDG_DATA_HOME", home + "/.local/share");
    environment.insert("XDG_CACHE_HOME", home + "/.cache");
    environment.insert("QT_QPA_PLATFORM", "xcb");
    if (zepla)
        environment.insert("QT_LOGGING_RULES", "zepla.launch.info=true");
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setProcessChannelMode(QProcess::SeparateChannels);
    const QImage before = grabScreen();
    const int screenPixels = before.width() * before.height();

    Launch result;
    QByteArray log;
    std::vector<std::pair<double, QImage>> shots;
    const double start = nowMs();
    process.start(program, arguments);
    while (nowMs() - start < 10000 && !(result.pageMs && (!zepla || result.loggedPageMs))) {
        const QImage shot = grabScreen();
        const double at = nowMs() - start;
        if (!frames.isEmpty())
            shots.emplace_back(at, shot);
        if (!result.windowMs && differingPixels(before, shot) > screenPixels / 10)
            result.windowMs = at;
        if (!result.pageMs && blockPixels(shot) > kBlockPixels)
            result.pageMs = at;
        process.waitForReadyRead(0);
        log += process.readAllStandardError();
        static const QRegularExpression milestone(
            QStringLiteral("(document window painted|first page painted) at ([0-9.]+)"));
        for (auto match = milestone.globalMatch(QString::fromUtf8(log)); match.hasNext();) {
            const auto m = match.next();
            const double ms = m.captured(2).toDouble() - start;
            (m.captured(1).startsWith("document") ? result.loggedWindowMs : result.loggedPageMs) = ms;
        }
    }
    for (const auto& [at, shot] : shots)
        shot.save(QStringLiteral("%1/%2.png").arg(frames).arg(int(at), 5, 10, QLatin1Char('0')));
    if (!frames.isEmpty())
        std::printf("window painted %.0f ms, first page painted %.0f ms (own log)\n",
                    result.loggedWindowMs.value_or(-1), result.loggedPageMs.value_or(-1));
    process.terminate();
    if (!process.waitForFinished(3000)) {
        process.kill();
        process.waitForFinished(3000);
    }
    // Let the screen go back to what it was before the next launch.
    QThread::msleep(300);
    return result;
}

struct Summary {
    double median = 0, low = 0, high = 0;
    int missing = 0;
};

Summary summarise(const std::vector<std::optional<double>>& values) {
    std::vector<double> found;
    for (const auto& v : values)
        if (v)
            found.push_back(*v);
    Summary s;
    s.missing = int(values.size() - found.size());
    if (found.empty())
        return s;
    std::sort(found.begin(), found.end());
    s.median = found[found.size() / 2];
    s.low = found.front();
    s.high = found.back();
    return s;
}

void printRow(const char* what, const std::vector<std::optional<double>>& values) {
    const Summary s = summarise(values);
    if (s.missing == int(values.size())) {
        std::printf("  %-44s   not seen\n", what);
        return;
    }
    std::printf("  %-44s %7.0f ms  (%.0f–%.0f)%s\n", what, s.median, s.low, s.high,
                s.missing ? qPrintable(QStringLiteral("  %1 runs not seen").arg(s.missing)) : "");
}

void compareLaunches(const QString& zepla, const QString& evince, const QString& file, const QString& label) {
    std::vector<std::optional<double>> zWindow, zPage, zLoggedWindow, zLoggedPage, eWindow, ePage;
    for (int run = 0; run < kRuns; ++run) {
        QTemporaryDir zHome;
        const Launch z = launch(zepla, {file}, zHome.path(), true);
        zWindow.push_back(z.windowMs);
        zPage.push_back(z.pageMs);
        zLoggedWindow.push_back(z.loggedWindowMs);
        zLoggedPage.push_back(z.loggedPageMs);
        if (!evince.isEmpty()) {
            QTemporaryDir eHome;
            const Launch e = launch(evince, {file}, eHome.path(), false);
            eWindow.push_back(e.windowMs);
            ePage.push_back(e.pageMs);
        }
    }
    std::printf("%s: median of %d launches (range)\n", qPrintable(label), kRuns);
    printRow("zepla window painted (own log)", zLoggedWindow);
    printRow("zepla first page painted (own log)", zLoggedPage);
    printRow("zepla window on screen (pixels)", zWindow);
    printRow("zepla first page on screen (pixels)", zPage);
    if (evince.isEmpty()) {
        std::printf("  evince is not installed: no comparison (bench/launch/run.sh installs it)\n");
        return;
    }
    printRow("evince window on screen (pixels)", eWindow);
    printRow("evince first page on screen (pixels)", ePage);
}

// The workspace of a document window on the long file: End, Home and thumbnail clicks, one every two
// frames, while the probe records the event loop's stalls.
void jumpStalls(const QString& file) {
    QFile in(file);
    in.open(QIODevice::ReadOnly);
    auto read = document::PDFEditorDocument::read(in.readAll());
    auto document = std::move(read).value();
    platform::UndoManager undo;
    annotations::ToolState tools;
    ui::PDFEditorWorkspaceView workspace(*document, undo, tools, file);
    workspace.resize(1280, 900);
    workspace.show();
    QElapsedTimer settle;
    settle.start();
    while (settle.elapsed() < 1000)
        QCoreApplication::processEvents();

    auto* sidebar = qobject_cast<ui::ThumbnailSidebar*>(workspace.sidebar());
    pdfview::PDFView* view = workspace.pdfView();
    QRandomGenerator random(16);
    StallProbe probe;
    QTimer jump;
    jump.setInterval(int(2 * kFrameMs));
    int done = 0;
    QEventLoop loop;
    QObject::connect(&jump, &QTimer::timeout, [&] {
        if (done++ == kJumps) {
            loop.quit();
            return;
        }
        switch (done % 3) {
        case 0: {
            QKeyEvent end(QEvent::KeyPress, Qt::Key_End, Qt::NoModifier);
            QCoreApplication::sendEvent(view, &end);
            break;
        }
        case 1: {
            QKeyEvent home(QEvent::KeyPress, Qt::Key_Home, Qt::NoModifier);
            QCoreApplication::sendEvent(view, &home);
            break;
        }
        default:
            emit sidebar->listView()->clicked(int(random.bounded(kLongPages)), Qt::NoModifier);
            break;
        }
    });
    probe.start();
    jump.start();
    loop.exec();
    const StallProbe::Figures stalls = probe.stop(kFrameMs);
    std::printf("%d jumps (End, Home, thumbnail clicks) on %d pages, one every %.0f ms:\n", kJumps,
                kLongPages, 2 * kFrameMs);
    std::printf("  longest event-loop stall %.1f ms, 99th percentile gap %.1f ms, %d gaps over %.0f ms\n",
                stalls.longestMs, stalls.p99Ms, stalls.overFrame, kFrameMs);
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (QGuiApplication::platformName() != QLatin1String("xcb")) {
        std::fprintf(stderr, "bench_launch needs an X server: run bench/launch/run.sh\n");
        return 1;
    }
    QTemporaryDir dir;
    const QString longFile = dir.filePath("long.pdf");
    const QString smallFile = dir.filePath("small.pdf");
    for (const auto& [path, pages] : {std::pair{longFile, kLongPages}, std::pair{smallFile, kSmallPages}}) {
        QFile out(path);
        out.open(QIODevice::WriteOnly);
        out.write(blockPdf(pages));
    }
    // --frames DIR: one launch of Zepla on the long file, its screens saved, to look at the launch frame by
    // frame.
    if (const qsizetype at = app.arguments().indexOf("--frames"); at > 0 && at + 1 < app.arguments().size()) {
        QTemporaryDir home;
        launch(ZEPLA_PROGRAM, {longFile}, home.path(), true, app.arguments()[at + 1]);
        return 0;
    }
    const QString evince = QStandardPaths::findExecutable("evince");
    const QSize screen = QGuiApplication::primaryScreen()->size();
    std::printf("screen %dx%d, zepla %s\n", screen.width(), screen.height(), ZEPLA_PROGRAM);
    compareLaunches(ZEPLA_PROGRAM, evince, longFile, QStringLiteral("%1 pages").arg(kLongPages));
    compareLaunches(ZEPLA_PROGRAM, evince, smallFile, QStringLiteral("%1 pages").arg(kSmallPages));
    jumpStalls(longFile);
    return 0;
}
