// Prints how fast answers of growing size (10 KB to 10 MB) are read for display, beside md4c's full parse
// of the same text.
#include "ReadingComparison.h"
#include "SampleAnswers.h"

int main() {
    describeReadingComparison();
    compareReading("mixed answer", mixedAnswer, {10'000, 100'000, 1'000'000, 10'000'000});
    compareReading("table-heavy answer", tableHeavyAnswer, {10'000, 100'000, 1'000'000, 10'000'000});
    return 0;
}
