// Prints how fast answers are read for display (blocks, formula splitting and inline Markdown into styled
// runs) beside md4c reading the same text, into HTML and into its text runs, for prose with formulas,
// table-heavy and code-heavy answers of 10 KB to 1 MB; and how long the widgets of a 10 KB answer take to
// build with their formula images cached.
#include "BenchTiming.h"
#include "Md4cPeer.h"
#include "SampleAnswers.h"

#include "markdown/InlineMarkdownReader.h"
#include "markdown/MarkdownParser.h"
#include "markdown/MathSegmentSplitter.h"
#include "ui/markdown/MarkdownContent.h"

#include <QApplication>

#include <cstdio>

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

void measureReading(const char* name, QString (*makeAnswer)(qsizetype)) {
    std::printf("\n%s\n%10s %10s %18s %15s %15s %13s %14s\n", name, "bytes", "zepla", "zepla+from UTF-8",
                "md4c md_html", "md4c md_parse", "zepla / html", "zepla / parse");
    for (qsizetype size : {10'000, 100'000, 1'000'000}) {
        const QString answer = makeAnswer(size);
        const QByteArray utf8 = answer.toUtf8();
        const double zepla = megabytesPerSecond(utf8.size(), [&] { sink = readForDisplay(answer); });
        const double decoded =
            megabytesPerSecond(utf8.size(), [&] { sink = readForDisplay(QString::fromUtf8(utf8)); });
        const double html = megabytesPerSecond(utf8.size(), [&] { sink = md4cHtml(utf8); });
        const double parse = megabytesPerSecond(utf8.size(), [&] { sink = md4cParse(utf8); });
        std::printf("%10lld %10.1f %18.1f %15.1f %15.1f %13.2f %14.2f\n", static_cast<long long>(utf8.size()),
                    zepla, decoded, html, parse, zepla / html, zepla / parse);
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
        "MB/s of UTF-8 input, best of several runs.\n"
        "zepla: the answer as the app holds it (UTF-16), or decoded from UTF-8 first, cut into blocks, "
        "each text\n  but code split into formulas and plain runs, each plain run read into styled "
        "runs that point\n  into the answer (code blocks are copied out whole).\n"
        "md4c, reading %s:\n  md_html writes the whole answer as HTML; md_parse reports "
        "blocks, spans and text runs\n  pointing into the input to callbacks that count them.\n",
        md4cFeatures);
    measureReading("prose with inline formulas", proseAnswer);
    measureReading("table-heavy answer", tableHeavyAnswer);
    measureReading("code-heavy answer", codeHeavyAnswer);
    measureWidgets();
    return 0;
}
