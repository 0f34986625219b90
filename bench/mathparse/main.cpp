// Parse throughput of MTMathListBuilder on one core: 1,000 typical formulas (fractions, sums with
// limits, matrices, accents, cases, ...), parsed over and over for a few seconds. Prints formulas per
// second for the parse alone, and for parse + finalize + write as a second figure. The aim is at
// least 200,000 formulas per second for the parse.
//
// Usage: bench_mathparse [seconds per measurement, default 3]
#include "corpus/TypicalFormulas.h"
#include "mathlist/MTMathListBuilder.h"

#include <QString>

#include <chrono>
#include <cstdio>
#include <cstdlib>

using namespace zepla::math;

namespace {

template <typename F>
double formulasPerSecond(const QStringList& corpus, double seconds, F&& work, long long* checksum) {
    using clock = std::chrono::steady_clock;
    // Warm up: the vocabulary tables are built on first use.
    for (const QString& f : corpus)
        *checksum += work(f);
    long long done = 0;
    const auto start = clock::now();
    double elapsed = 0;
    do {
        for (const QString& f : corpus)
            *checksum += work(f);
        done += corpus.size();
        elapsed = std::chrono::duration<double>(clock::now() - start).count();
    } while (elapsed < seconds);
    return done / elapsed;
}

} // namespace

int main(int argc, char** argv) {
    const double seconds = argc > 1 ? std::atof(argv[1]) : 3.0;
    const QStringList corpus = corpus::typicalFormulaCorpus(1000);
    long long bytes = 0;
    for (const QString& f : corpus)
        bytes += f.toUtf8().size();
    for (const QString& f : corpus) {
        std::optional<MTParseError> error;
        if (!MTMathListBuilder::build(f, error)) {
            std::fprintf(stderr, "corpus formula does not parse: %s (%s)\n", qPrintable(f), qPrintable(error->message));
            return 1;
        }
    }
    std::printf("corpus: %lld formulas, %lld bytes of LaTeX (%.1f bytes each)\n", static_cast<long long>(corpus.size()),
                bytes, double(bytes) / corpus.size());

    long long checksum = 0;
    const double parse = formulasPerSecond(corpus, seconds, [](const QString& f) {
        std::optional<MTParseError> error;
        MTMathListPtr list = MTMathListBuilder::build(f, error);
        return static_cast<long long>(list ? list->size() : 0);
    }, &checksum);
    std::printf("parse:                    %10.0f formulas/s  (%.2f us each, %.1f MB/s)\n", parse, 1e6 / parse,
                parse * bytes / corpus.size() / 1e6);

    const double full = formulasPerSecond(corpus, seconds, [](const QString& f) {
        std::optional<MTParseError> error;
        MTMathListPtr list = MTMathListBuilder::build(f, error);
        MTMathListPtr final = list->finalized();
        return static_cast<long long>(final->size() + MTMathListBuilder::mathListToString(list).size());
    }, &checksum);
    std::printf("parse + finalize + write: %10.0f formulas/s  (%.2f us each)\n", full, 1e6 / full);
    std::printf("target: 200000 formulas/s for the parse: %s (checksum %lld)\n", parse >= 200000 ? "met" : "NOT met",
                checksum);
    return 0;
}
