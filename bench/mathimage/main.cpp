// Prints how many cropped formula images the renderer makes per second from a cold cache, and how many it
// serves per second from a warm one, beside KaTeX's renderToString over the same formulas (which only writes
// HTML: a browser would still have to lay it out and paint it).
#include "KatexBench.h"
#include "corpus/TypicalFormulas.h"

#include "ui/markdown/MathImageRenderer.h"

#include <QApplication>
#include <QElapsedTimer>

#include <cstdio>

namespace Renderer = zepla::ui::MathImageRenderer;

namespace {

constexpr int kFormulaCount = 1000;

// Renders every formula once; returns images per second and counts those that gave no image.
double pass(const QStringList& formulas, int& missing) {
    QElapsedTimer timer;
    timer.start();
    for (const QString& formula : formulas)
        missing += Renderer::render(formula, 17, Qt::black, 1) ? 0 : 1;
    return formulas.size() / (double(std::max<qint64>(timer.nsecsElapsed(), 1)) / 1e9);
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList formulas = zepla::math::corpus::typicalFormulaCorpus(kFormulaCount);
    const QStringList lastCached = formulas.mid(kFormulaCount - Renderer::countLimit);

    int missing = 0;
    Renderer::removeAllObjects();
    const double cold = pass(formulas, missing);
    const double again = pass(formulas, missing);
    const double warm = pass(lastCached, missing);
    if (missing > 0) {
        std::printf("%d formulas gave no image\n", missing);
        return 1;
    }
    std::printf("%d formulas of the shared corpus at 17 points, ratio 1, cropped images\n", kFormulaCount);
    std::printf("zepla cold cache:                 %10.0f images/s\n", cold);
    std::printf(
        "zepla same 1,000 again:           %10.0f images/s  (the cache keeps %d, so in order every one\n"
        "                                                      was evicted before its turn came again)\n",
        again, Renderer::countLimit);
    std::printf("zepla the %d it holds, again:    %10.0f images/s\n", Renderer::countLimit, warm);

    const double katex = katexThroughput(formulas);
    if (katex <= 0) {
        std::printf("KaTeX could not be run (node and npm are needed)\n");
        return 1;
    }
    std::printf("KaTeX renderToString (HTML only): %10.0f formulas/s\n", katex);
    std::printf("zepla cold / KaTeX:               %10.2f\n", cold / katex);
    return 0;
}
