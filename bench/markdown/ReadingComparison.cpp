#include "ReadingComparison.h"

#include "../support/BenchTiming.h"
#include "Md4cPeer.h"

#include "markdown/InlineMarkdownReader.h"
#include "markdown/MarkdownParser.h"
#include "markdown/MathSegmentSplitter.h"

#include <QByteArray>
#include <QStringList>

#include <cstdio>

using namespace zepla;

namespace {

volatile qsizetype sink;

// What the views read of an answer before any widget exists: its blocks, and for each text of a block other
// than code its formulas and inline styled runs. Returns the number of runs and formulas.
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

} // namespace

void describeReadingComparison() {
    std::printf("MB/s of UTF-8 input, best of alternating runs after one warm-up run of each side.\n"
                "zepla: the answer as the app holds it (UTF-16), or decoded from UTF-8 first, cut into "
                "blocks,\n  each text but code split into formulas and plain runs, each plain run read "
                "into styled runs\n  that point into the answer (code blocks are copied out whole); "
                "the runs are counted.\n"
                "md4c md_parse, reading %s: blocks, spans and text runs\n  pointing into the input "
                "reported to callbacks that count them.\n",
                md4cFeatures);
}

void compareReading(const char* name, QString (*makeAnswer)(qsizetype),
                    std::initializer_list<qsizetype> sizes) {
    std::printf("\n%s\n%10s %10s %18s %15s %17s\n", name, "bytes", "zepla", "zepla+from UTF-8",
                "md4c md_parse", "speed zepla/md4c");
    for (qsizetype size : sizes) {
        const QString answer = makeAnswer(size);
        const QByteArray utf8 = answer.toUtf8();
        const std::vector<qint64> best = alternatingBestNanoseconds({
            [&] { sink = readForDisplay(answer); },
            [&] { sink = readForDisplay(QString::fromUtf8(utf8)); },
            [&] { sink = md4cParse(utf8); },
        });
        const double zepla = megabytesPerSecond(utf8.size(), best[0]);
        const double md4c = megabytesPerSecond(utf8.size(), best[2]);
        std::printf("%10lld %10.1f %18.1f %15.1f %17.2f\n", static_cast<long long>(utf8.size()), zepla,
                    megabytesPerSecond(utf8.size(), best[1]), md4c, zepla / md4c);
    }
}
