// Prints how fast answers are read for display (blocks, formula splitting and inline Markdown into styled
// runs) beside md4c's full parse of the same text, for prose with formulas, table-heavy and code-heavy
// answers of 10 KB to 1 MB; and how long the widgets of a 10 KB answer take to build with their formula
// images cached.
#include "../support/BenchTiming.h"
#include "ReadingComparison.h"
#include "SampleAnswers.h"

#include "ui/markdown/MarkdownContent.h"

#include <QApplication>

#include <cstdio>

using namespace zepla;

namespace {

volatile qsizetype sink;

void measureWidgets() {
    const QString answer = mixedAnswer(10'000);
    const auto build = [&] {
        ui::MarkdownContent content(answer, Qt::black);
        content.resize(420, content.heightForWidth(420));
        sink = content.blockViews().size();
    };
    build();
    const double milliseconds = double(bestNanoseconds(build)) / 1e6;
    std::printf("\nwidgets of a 10 KB mixed answer, formula images cached, laid out at 420 points: %.2f ms "
                "(aim: under 16; md4c has no widgets to compare with)\n",
                milliseconds);
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    describeReadingComparison();
    compareReading("prose with inline formulas", proseAnswer, {10'000, 100'000, 1'000'000});
    compareReading("table-heavy answer", tableHeavyAnswer, {10'000, 100'000, 1'000'000});
    compareReading("code-heavy answer", codeHeavyAnswer, {10'000, 100'000, 1'000'000});
    measureWidgets();
    return 0;
}
