// Made-up assistant answers of a given size for the Markdown benchmarks.
#include "SampleAnswers.h"

#include <QRandomGenerator>
#include <QStringList>
#include <functional>

namespace {

const QStringList words{"the",      "integral", "converges", "because", "$x^2$",     "**bound**", "of",
                        "each",     "term",     "`code`",    "and",     "$\\alpha$", "*small*",   "is",
                        "positive", "so",       "we",        "find",    "[link](x)", "result"};

QString sentence(QRandomGenerator& random, int minWords, int maxWords) {
    QStringList picked;
    for (int n = random.bounded(minWords, maxWords + 1); n > 0; --n)
        picked.append(words[random.bounded(words.size())]);
    return picked.join(' ');
}

QString tableOf(QRandomGenerator& random, int columns, int rows) {
    QString table;
    const auto appendRow = [&](const std::function<QString()>& cell) {
        table += '|';
        for (int c = 0; c < columns; ++c)
            table += ' ' + cell() + " |";
        table += '\n';
    };
    appendRow([&] { return sentence(random, 1, 2); });
    appendRow([] { return QString(":---:"); });
    for (int r = 0; r < rows; ++r)
        appendRow([&] { return sentence(random, 1, 3); });
    return table + '\n';
}

QString mixedBlock(QRandomGenerator& random) {
    switch (random.bounded(8)) {
    case 0:
        return QString("#").repeated(random.bounded(1, 4)) + ' ' + sentence(random, 2, 5) + "\n\n";
    case 1:
    case 2:
        return sentence(random, 10, 30) + '\n' + sentence(random, 10, 30) + "\n\n";
    case 3: {
        QString list;
        for (int n = random.bounded(2, 7); n > 0; --n)
            list += "- " + sentence(random, 3, 12) + '\n';
        return list + '\n';
    }
    case 4: {
        QString list;
        for (int n = 1; n <= random.bounded(2, 7); ++n)
            list += QString::number(n) + ". " + sentence(random, 3, 12) + '\n';
        return list + '\n';
    }
    case 5:
        return "```python\ndef f(x):\n    return x ** 2  # square\n\nprint(f(3))\n```\n\n";
    case 6:
        return tableOf(random, 3, random.bounded(2, 6));
    default:
        return "> " + sentence(random, 5, 15) + "\n> " + sentence(random, 5, 15) + "\n\n";
    }
}

QString tableHeavyBlock(QRandomGenerator& random) {
    return "## " + sentence(random, 2, 4) + '\n' + sentence(random, 5, 10) + "\n\n" +
           tableOf(random, random.bounded(4, 9), random.bounded(20, 60));
}

QString proseBlock(QRandomGenerator& random) {
    return sentence(random, 15, 40) + ". " + sentence(random, 15, 40) + ".\n" + sentence(random, 10, 30) +
           ".\n\n";
}

QString codeHeavyBlock(QRandomGenerator& random) {
    QString code = "```cpp\n";
    for (int n = random.bounded(5, 25); n > 0; --n)
        code += QString("    total += values[%1] * $rate; // %2\n").arg(n).arg(sentence(random, 1, 4));
    return sentence(random, 5, 15) + "\n\n" + code + "```\n\n";
}

QString answerOf(qsizetype size, QString (*block)(QRandomGenerator&)) {
    QRandomGenerator random(42);
    QString answer;
    answer.reserve(size + 4096);
    while (answer.size() < size)
        answer += block(random);
    answer.truncate(size);
    return answer;
}

} // namespace

QString mixedAnswer(qsizetype size) {
    return answerOf(size, mixedBlock);
}

QString tableHeavyAnswer(qsizetype size) {
    return answerOf(size, tableHeavyBlock);
}

QString proseAnswer(qsizetype size) {
    return answerOf(size, proseBlock);
}

QString codeHeavyAnswer(qsizetype size) {
    return answerOf(size, codeHeavyBlock);
}
