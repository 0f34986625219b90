// Prints the typesetter's throughput on the shared corpus of typical formulas (fractions, radicals,
// operators, matrices, delimiters, accents... in the proportion assistants write them), keeping those that
// KaTeX renders too: parse, layout, and parse + layout + drawing each formula into an image of its size as
// the chat view does, that last beside KaTeX's renderToString (its HTML output) on the same formulas, in
// turns; first the time and memory a 1 MB formula takes to parse and lay out (alone with --large).
#include "../support/BenchTiming.h"
#include "KatexBench.h"
#include "corpus/LargeFormula.h"
#include "corpus/TypicalFormulas.h"

#include "display/MTGraphicsContext.h"
#include "fonts/MTFontManager.h"
#include "mathlist/MTMathListBuilder.h"
#include "typesetter/MTTypesetter.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <sys/resource.h>

#include <cmath>
#include <cstdio>
#include <functional>
#include <optional>
#include <vector>

using namespace zepla::math;

namespace {

constexpr int kFormulaCount = 1000;
constexpr qsizetype kLargeFormulaBytes = 1 << 20;

volatile double sink;

// Formulas per second, from the best of the runs.
double throughput(int formulas, const std::function<void()>& run) {
    return formulas / (double(bestNanoseconds(run)) / 1e9);
}

// The formula drawn into an image just its size, at twice the pixels per point as on a dense screen.
void drawIntoImage(const MTMathListDisplay& display) {
    const qreal scale = 2;
    QImage image(std::max(1, int(std::ceil(display.width() * scale))),
                 std::max(1, int(std::ceil((display.ascent() + display.descent()) * scale))),
                 QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(scale, scale);
    painter.translate(0, display.ascent());
    MTGraphicsContext context(painter);
    display.draw(context);
    painter.end();
    sink = image.width();
}

// The processor time the process has used so far (user and system), in seconds: unlike the wall clock it
// does not grow while the machine is busy with other work.
double processorSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) { return double(t.tv_sec) + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// The peak resident memory of the process so far, in megabytes.
double peakMegabytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024.0;
}

// Parses and lays out the large formula, printing the time and the peak memory each step adds.
bool measureLargeFormula(const std::shared_ptr<MTFont>& font) {
    const QString large = corpus::largeFormula(kLargeFormulaBytes);
    const double startMemory = peakMegabytes();
    const double startProcessor = processorSeconds();
    QElapsedTimer timer;
    timer.start();
    std::optional<MTParseError> error;
    const MTMathListPtr list = MTMathListBuilder::build(large, error);
    if (!list) {
        std::fprintf(stderr, "the 1 MB formula does not parse: %s\n",
                     error ? qPrintable(error->message) : "");
        return false;
    }
    const double parseSeconds = timer.nsecsElapsed() / 1e9;
    const double parseProcessor = processorSeconds();
    const double parseMemory = peakMegabytes();
    const auto display = MTTypesetter::createLineForMathList(list, font, MTLineStyle::display);
    const double seconds = timer.nsecsElapsed() / 1e9;
    const double endProcessor = processorSeconds();
    const double endMemory = peakMegabytes();
    std::printf("%.2f MB formula (%zu atoms, width %.0f pt); time (processor time), peak memory added\n",
                large.toUtf8().size() / 1048576.0, list->size(), display->width());
    const auto row = [](const char* step, double wall, double processor, double memory) {
        std::printf("  %-15s %.2f s (%.2f s), +%.0f MB\n", step, wall, processor, memory);
    };
    row("parse:", parseSeconds, parseProcessor - startProcessor, parseMemory - startMemory);
    row("layout:", seconds - parseSeconds, endProcessor - parseProcessor, endMemory - parseMemory);
    row("parse + layout:", seconds, endProcessor - startProcessor, endMemory - startMemory);
    return true;
}

} // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList all = corpus::typicalFormulaCorpus(kFormulaCount);
    const auto font = MTFontManager::manager()->defaultFont();

    // The large formula first, so that the peak memory it adds is not hidden by the runs below.
    if (!measureLargeFormula(font))
        return 1;
    if (app.arguments().contains(QStringLiteral("--large")))
        return 0;

    int failures = 0;
    for (const QString& formula : all) {
        if (!MTMathListBuilder::build(formula)) {
            std::fprintf(stderr, "does not parse: %s\n", qPrintable(formula));
            ++failures;
        }
    }
    if (failures > 0)
        return 1;
    // Both sides get the formulas both accept, so that neither takes a cheap error path.
    const std::optional<QStringList> accepted = katexAccepted(all);
    if (!accepted) {
        std::printf("KaTeX could not be run (node and npm are needed)\n");
        return 1;
    }
    const QStringList& formulas = *accepted;
    const int count = int(formulas.size());
    std::printf("%d formulas of the shared corpus, %d that KaTeX renders too (both sides get only these)\n",
                kFormulaCount, count);

    const double parse = throughput(count, [&] {
        for (const QString& formula : formulas)
            sink = double(MTMathListBuilder::build(formula)->size());
    });
    std::vector<MTMathListPtr> lists;
    for (const QString& formula : formulas)
        lists.push_back(MTMathListBuilder::build(formula));
    const double layout = throughput(count, [&] {
        for (const MTMathListPtr& list : lists)
            sink = MTTypesetter::createLineForMathList(list, font, MTLineStyle::display)->width();
    });
    const double zepla = throughput(count, [&] {
        for (const QString& formula : formulas)
            sink = MTTypesetter::createLineForMathList(MTMathListBuilder::build(formula), font,
                                                       MTLineStyle::display)
                       ->width();
    });
    std::printf("zepla parse only:                 %10.0f formulas/s\n", parse);
    std::printf("zepla layout only:                %10.0f formulas/s\n", layout);
    std::printf("zepla parse + layout (no output): %10.0f formulas/s\n", zepla);

    // The comparison: each side turns the text into what its display shows (our image of the formula,
    // KaTeX's HTML text), in turns, each warmed up, the best of each kept.
    double drawn = 0;
    double katex = 0;
    for (int round = 0; round < 2; ++round) {
        const auto ours = [&] {
            drawn = std::max(drawn, throughput(count, [&] {
                                 for (const QString& formula : formulas)
                                     drawIntoImage(*MTTypesetter::createLineForMathList(
                                         MTMathListBuilder::build(formula), font, MTLineStyle::display));
                             }));
        };
        const auto theirs = [&] { katex = std::max(katex, katexThroughput(formulas)); };
        runBothInTurn(round, ours, theirs);
    }
    if (katex <= 0) {
        std::printf("KaTeX could not be run (node and npm are needed)\n");
        return 1;
    }
    std::printf("each side's output, taking turns, best of each:\n");
    std::printf("zepla parse + layout + image:     %10.0f formulas/s\n", drawn);
    std::printf("KaTeX renderToString (HTML text): %10.0f formulas/s\n", katex);
    std::printf("zepla with image / KaTeX:         %10.2f\n", drawn / katex);
    return 0;
}
