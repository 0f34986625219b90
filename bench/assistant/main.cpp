// Figures for the assistant's document tools on a generated 3,600-page document with prose on every page:
// search_document (a word on the last page only, so every page is read, and a word on every page) and
// get_document_text, beside `pdftotext FILE - | grep -c WORD` on the same file.
#include "PdfFixtures.h"
#include "pdf/PdfDocument.h"
#include "tools/AssistantToolFactory.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <cstdio>
#include <functional>

using namespace zepla;

namespace {

constexpr int kPages = 3600;
constexpr int kLines = 46;
const QString rareWord = QStringLiteral("quetzalcoatl");

// Forty-six lines of about eighty characters of ordinary words per page, the rare word on the last page.
QByteArray makeDocument() {
    static const QStringList words = QStringLiteral("the of and to in a is that for it as was with be by on "
                                                    "not he this are or his from at which but have an "
                                                    "they you were her she there been one all we their has "
                                                    "would when if so no what up out more said about "
                                                    "analysis results method data figure table section "
                                                    "chapter report measured sample value increase model")
                                         .split(u' ');
    QRandomGenerator random(42);
    fixtures::DocSpec spec;
    for (int p = 0; p < kPages; ++p) {
        QStringList lines;
        for (int l = 0; l < kLines; ++l) {
            QString line;
            while (line.size() < 80)
                line += words[random.bounded(int(words.size()))] + u' ';
            lines.append(line.trimmed());
        }
        if (p == kPages - 1)
            lines.last() += u' ' + rareWord;
        spec.pages.append({lines.join(u'\n')});
    }
    return fixtures::makePdf(spec);
}

double millis(const std::function<void()>& work) {
    QElapsedTimer t;
    t.start();
    work();
    return double(t.nsecsElapsed()) / 1e6;
}

// The pipeline's time and its count, or -1 when pdftotext is missing.
std::pair<double, QByteArray> pdftotextGrep(const QString& path, const QString& word) {
    if (QStandardPaths::findExecutable("pdftotext").isEmpty())
        return {-1, {}};
    QByteArray out;
    const double ms = millis([&] {
        QProcess p;
        p.start("sh", {"-c", QStringLiteral("pdftotext '%1' - | grep -c %2").arg(path, word)});
        p.waitForFinished(-1);
        out = p.readAllStandardOutput().trimmed();
    });
    return {ms, out};
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QString path = dir.filePath("bench.pdf");
    {
        QFile out(path);
        out.open(QIODevice::WriteOnly);
        out.write(pdf::Document::open(makeDocument()).value()->save().value());
    }
    auto document = pdf::Document::openFile(path).value();
    const auto tools =
        ai::AssistantToolFactory::makeTools(ai::AssistantSource::pdf({document, nullptr, path}));
    const auto tool = [&](const QString& name) {
        for (const ai::AssistantTool& t : tools) {
            if (t.name == name)
                return t;
        }
        return ai::AssistantTool{};
    };

    std::printf("%d pages of %d lines, %lld bytes\n", kPages, kLines, QFile(path).size());
    std::printf("%-46s %12s  %s\n", "", "time", "result");
    QString result;
    const auto row = [](const char* what, double ms, const QString& detail) {
        std::printf("%-46s %9.1f ms  %s\n", what, ms, qPrintable(detail.left(60).replace(u'\n', u' ')));
    };
    double ms = millis([&] { result = tool("search_document").execute({{"query", rareWord}}); });
    row("search_document, word on the last page only", ms, result);
    const auto [rareMs, rareCount] = pdftotextGrep(path, rareWord);
    row("pdftotext | grep -c, same word", rareMs, QString::fromUtf8(rareCount) + " lines");

    ms = millis([&] { result = tool("search_document").execute({{"query", "analysis"}}); });
    row("search_document, word on every page (5 hits)", ms, result);
    const auto [commonMs, commonCount] = pdftotextGrep(path, "analysis");
    row("pdftotext | grep -c, same word", commonMs, QString::fromUtf8(commonCount) + " lines");

    ms = millis([&] { result = tool("get_document_text").execute({}); });
    row("get_document_text (stops at 60,000 characters)", ms,
        QStringLiteral("%1 characters, up to: %2")
            .arg(result.size())
            .arg(result.mid(result.lastIndexOf("--- Page"), 25)));
    if (rareMs < 0)
        std::printf("pdftotext is missing: install poppler-utils for the comparison\n");
    return 0;
}
