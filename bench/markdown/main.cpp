// Prints the block parser's throughput beside md4c's (parse only, counting callbacks) for growing answers.
#include "BenchTiming.h"
#include "Md4cPeer.h"
#include "SampleAnswers.h"
#include "markdown/MarkdownParser.h"

#include <QByteArray>
#include <cstdio>

namespace {

volatile qsizetype sink;

void measure(const char* name, QString (*makeAnswer)(qsizetype)) {
    std::printf("\n%s\n%10s %12s %25s %12s %14s\n", name, "bytes", "zepla MB/s", "zepla+UTF-8 decode MB/s",
                "md4c MB/s", "md4c / zepla");
    for (qsizetype size : {10'000, 100'000, 1'000'000, 10'000'000}) {
        const QString answer = makeAnswer(size);
        const QByteArray utf8 = answer.toUtf8();
        const double zepla = megabytesPerSecond(
            utf8.size(), [&] { sink = zepla::markdown::MarkdownParser::parse(answer).size(); });
        const double decoded = megabytesPerSecond(utf8.size(), [&] {
            sink = zepla::markdown::MarkdownParser::parse(QString::fromUtf8(utf8)).size();
        });
        const double md4c = megabytesPerSecond(utf8.size(), [&] { sink = md4cParse(utf8); });
        std::printf("%10lld %12.1f %25.1f %12.1f %14.2f\n", static_cast<long long>(utf8.size()), zepla,
                    decoded, md4c, md4c / zepla);
    }
}

} // namespace

int main() {
    std::printf("md4c: md_parse with callbacks that count its text runs; %s\n", md4cFeatures);
    measure("mixed answer", mixedAnswer);
    measure("table-heavy answer", tableHeavyAnswer);
    return 0;
}
