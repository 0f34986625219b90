// Prints the block parser's throughput beside md4c's (parse only, no-op callbacks) for growing answers.
#include "SampleAnswers.h"
#include "markdown/MarkdownParser.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <cstdio>
#include <functional>
#include <md4c.h>

namespace {

// Megabytes of UTF-8 input per second, best of at least five runs filling half a second. A run includes
// freeing what it made, as every caller pays that too.
double throughput(qsizetype bytes, const std::function<void()>& run) {
    QElapsedTimer total;
    total.start();
    qint64 best = std::numeric_limits<qint64>::max();
    for (int runs = 0; runs < 5 || total.elapsed() < 500; ++runs) {
        QElapsedTimer once;
        once.start();
        run();
        best = std::min(best, once.nsecsElapsed());
    }
    return double(bytes) / 1e6 / (double(std::max<qint64>(best, 1)) / 1e9);
}

int ignoreBlock(MD_BLOCKTYPE, void*, void*) {
    return 0;
}
int ignoreSpan(MD_SPANTYPE, void*, void*) {
    return 0;
}
int ignoreText(MD_TEXTTYPE, const MD_CHAR*, MD_SIZE, void*) {
    return 0;
}

const MD_PARSER md4cParser{0,          MD_DIALECT_GITHUB, ignoreBlock, ignoreBlock, ignoreSpan,
                           ignoreSpan, ignoreText,        nullptr,     nullptr};

volatile qsizetype sink;

void measure(const char* name, QString (*makeAnswer)(qsizetype)) {
    std::printf("\n%s\n%10s %12s %25s %12s %14s\n", name, "bytes", "zepla MB/s", "zepla+UTF-8 decode MB/s",
                "md4c MB/s", "md4c / zepla");
    for (qsizetype size : {10'000, 100'000, 1'000'000, 10'000'000}) {
        const QString answer = makeAnswer(size);
        const QByteArray utf8 = answer.toUtf8();
        const double zepla =
            throughput(utf8.size(), [&] { sink = zepla::markdown::MarkdownParser::parse(answer).size(); });
        const double decoded = throughput(utf8.size(), [&] {
            sink = zepla::markdown::MarkdownParser::parse(QString::fromUtf8(utf8)).size();
        });
        const double md4c = throughput(utf8.size(), [&] {
            sink = md_parse(utf8.constData(), MD_SIZE(utf8.size()), &md4cParser, nullptr);
        });
        std::printf("%10lld %12.1f %25.1f %12.1f %14.2f\n", static_cast<long long>(utf8.size()), zepla,
                    decoded, md4c, md4c / zepla);
    }
}

} // namespace

int main() {
    measure("mixed answer", mixedAnswer);
    measure("table-heavy answer", tableHeavyAnswer);
    return 0;
}
