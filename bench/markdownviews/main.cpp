// Prints how fast answers are read for display (blocks, formula splitting and inline Markdown into styled
// runs) beside md4c turning the same text into HTML, for prose with formulas, table-heavy and code-heavy
// answers of 10 KB to 1 MB; and how long the widgets of a 10 KB answer take to build with their formula
// images cached.
#include "BenchTiming.h"
#include "SampleAnswers.h"

#include "markdown/InlineMarkdownReader.h"
#include "markdown/MarkdownParser.h"
#include "markdown/MathSegmentSplitter.h"
#include "ui/markdown/MarkdownContent.h"

#include <QApplication>

#include <cstdio>
#include <md4c-html.h>

using namespace zepla;

namespace {

volatile qsizetype sink;

// What the views read of an answer before any widget exists: its blocks, and for each text of a block other
// than code its formulas and inline styled runs.
qsizetype readForDisplay(const QString& answer) {
    qsizetype runs = 0;
    const auto read = [&](QStringView text) {
        for (const markdown::MathSegment& segment : markdown::MathSegmentSplitter::split(text))
            runs += segment.kind == markdown::MathSegment::Kind::math
                        ? 1
                        : markdown::InlineMarkdownReader::read(segment.text).runs.size();
    };
    const auto readAll = [&](const QStringList& texts) {
        for (const QString& text : texts)
            read(text);
    };
    for (const markdown::MarkdownBlock& block : markdown::MarkdownParser::parse(answer)) {
        if (block.kind == markdown::MarkdownBlock::Kind::codeBlock)
            continue;
        read(block.text);
        readAll(block.items);
        readAll(block.header);
        for (const QStringList& row : block.rows)
            readAll(row);
    }
    return runs;
}

void collectHtml(const MD_CHAR*, MD_SIZE size, void* total) {
    *static_cast<qsizetype*>(total) += size;
}

void measureReading(const char* name, QString (*makeAnswer)(qsizetype)) {
    std::printf("\n%s\n%10s %12s %12s %14s\n", name, "bytes", "zepla MB/s", "md4c MB/s", "zepla / md4c");
    for (qsizetype size : {10'000, 100'000, 1'000'000}) {
        const QString answer = makeAnswer(size);
        const QByteArray utf8 = answer.toUtf8();
        const double zepla = megabytesPerSecond(utf8.size(), [&] { sink = readForDisplay(answer); });
        const double md4c = megabytesPerSecond(utf8.size(), [&] {
            qsizetype html = 0;
            md_html(utf8.constData(), MD_SIZE(utf8.size()), collectHtml, &html,
                    MD_DIALECT_GITHUB | MD_FLAG_LATEXMATHSPANS, 0);
            sink = html;
        });
        std::printf("%10lld %12.1f %12.1f %14.2f\n", static_cast<long long>(utf8.size()), zepla, md4c,
                    zepla / md4c);
    }
}

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
                "(aim: under 16)\n",
                milliseconds);
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    std::printf(
        "zepla: blocks, formula segments and inline runs; md4c: md_html, GitHub dialect with $ math\n");
    measureReading("prose with inline formulas", proseAnswer);
    measureReading("table-heavy answer", tableHeavyAnswer);
    measureReading("code-heavy answer", codeHeavyAnswer);
    measureWidgets();
    return 0;
}
