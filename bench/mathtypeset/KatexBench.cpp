// Runs KaTeX as a black box over a file of formulas and reads back what it prints.
#include "KatexBench.h"

#include <QProcess>
#include <QSet>
#include <QTemporaryFile>
#include <QTextStream>

namespace {

// The lines run-katex.sh printed, or nothing when it failed.
std::optional<QStringList> runKatex(const QStringList& formulas, const QStringList& options) {
    QTemporaryFile file;
    if (!file.open())
        return std::nullopt;
    QTextStream(&file) << formulas.join('\n') << '\n';
    file.close();
    QProcess katex;
    katex.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    katex.start(QStringLiteral("bash"),
                QStringList{QStringLiteral(KATEX_SCRIPT)} + options + QStringList{file.fileName()});
    if (!katex.waitForFinished(10 * 60 * 1000) || katex.exitCode() != 0)
        return std::nullopt;
    return QString::fromUtf8(katex.readAllStandardOutput()).split('\n');
}

} // namespace

std::optional<QStringList> katexAccepted(const QStringList& formulas) {
    const std::optional<QStringList> lines = runKatex(formulas, {QStringLiteral("--check")});
    if (!lines)
        return std::nullopt;
    QSet<int> rejected;
    for (const QString& line : *lines) {
        if (line.startsWith(QLatin1String("katex_rejects ")))
            rejected.insert(line.section(' ', 1).toInt());
    }
    QStringList accepted;
    for (int index = 0; index < formulas.size(); ++index) {
        if (!rejected.contains(index))
            accepted << formulas[index];
    }
    return accepted;
}

double katexThroughput(const QStringList& formulas) {
    const std::optional<QStringList> lines = runKatex(formulas, {});
    if (!lines)
        return -1;
    for (const QString& line : *lines) {
        if (line.startsWith(QLatin1String("katex_formulas_per_second ")))
            return line.section(' ', 1).toDouble();
    }
    return -1;
}
