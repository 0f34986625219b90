// Prints the typesetter's throughput (parse and layout) on typical formulas beside KaTeX's renderToString on
// the same formulas, and the ratio.
#include "Formulas.h"

#include "fonts/MTFontManager.h"
#include "mathlist/MTMathListBuilder.h"
#include "typesetter/MTTypesetter.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryFile>
#include <QTextStream>

#include <cstdio>
#include <functional>
#include <limits>
#include <vector>

using namespace zepla::math;

namespace {

constexpr int kFormulaCount = 1000;

volatile double sink;

// Formulas per second, best of at least five runs filling a second.
double throughput(int formulas, const std::function<void()>& run) {
    QElapsedTimer total;
    total.start();
    qint64 best = std::numeric_limits<qint64>::max();
    for (int runs = 0; runs < 5 || total.elapsed() < 1000; ++runs) {
        QElapsedTimer once;
        once.start();
        run();
        best = std::min(best, once.nsecsElapsed());
    }
    return formulas / (double(std::max<qint64>(best, 1)) / 1e9);
}

// KaTeX's formulas per second from the script, or a negative number when it could not run.
double katexThroughput(const QString& formulaFile) {
    QProcess katex;
    katex.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    katex.start(QStringLiteral("bash"), {QStringLiteral(KATEX_SCRIPT), formulaFile});
    if (!katex.waitForFinished(10 * 60 * 1000) || katex.exitCode() != 0)
        return -1;
    for (const QString& line : QString::fromUtf8(katex.readAllStandardOutput()).split('\n')) {
        if (line.startsWith(QLatin1String("katex_formulas_per_second ")))
            return line.section(' ', 1).toDouble();
    }
    return -1;
}

} // namespace

int main() {
    const QStringList formulas = typicalFormulas(kFormulaCount);
    const auto font = MTFontManager::manager()->defaultFont();

    int failures = 0;
    for (const QString& formula : formulas) {
        if (!MTMathListBuilder::build(formula)) {
            std::fprintf(stderr, "does not parse: %s\n", qPrintable(formula));
            ++failures;
        }
    }
    if (failures > 0)
        return 1;

    const double parse = throughput(kFormulaCount, [&] {
        for (const QString& formula : formulas)
            sink = double(MTMathListBuilder::build(formula)->size());
    });
    std::vector<MTMathListPtr> lists;
    for (const QString& formula : formulas)
        lists.push_back(MTMathListBuilder::build(formula));
    const double layout = throughput(kFormulaCount, [&] {
        for (const MTMathListPtr& list : lists)
            sink = MTTypesetter::createLineForMathList(list, font, MTLineStyle::display)->width();
    });
    const double zepla = throughput(kFormulaCount, [&] {
        for (const QString& formula : formulas)
            sink = MTTypesetter::createLineForMathList(MTMathListBuilder::build(formula), font,
                                                       MTLineStyle::display)
                       ->width();
    });
    std::printf("%d formulas\n", kFormulaCount);
    std::printf("zepla parse only:        %10.0f formulas/s\n", parse);
    std::printf("zepla layout only:       %10.0f formulas/s\n", layout);
    std::printf("zepla parse + layout:    %10.0f formulas/s\n", zepla);

    QTemporaryFile file;
    if (!file.open())
        return 1;
    QTextStream(&file) << formulas.join('\n') << '\n';
    file.close();
    const double katex = katexThroughput(file.fileName());
    if (katex <= 0) {
        std::printf("KaTeX could not be run (node and npm are needed)\n");
        return 1;
    }
    std::printf("KaTeX renderToString:    %10.0f formulas/s\n", katex);
    std::printf("zepla / KaTeX:           %10.2f\n", zepla / katex);
    return 0;
}
