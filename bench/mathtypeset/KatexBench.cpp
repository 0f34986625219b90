// Runs KaTeX as a black box over a file of formulas and reads back its figure.
#include "KatexBench.h"

#include <QProcess>
#include <QTemporaryFile>
#include <QTextStream>

double katexThroughput(const QStringList& formulas) {
    QTemporaryFile file;
    if (!file.open())
        return -1;
    QTextStream(&file) << formulas.join('\n') << '\n';
    file.close();
    QProcess katex;
    katex.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    katex.start(QStringLiteral("bash"), {QStringLiteral(KATEX_SCRIPT), file.fileName()});
    if (!katex.waitForFinished(10 * 60 * 1000) || katex.exitCode() != 0)
        return -1;
    for (const QString& line : QString::fromUtf8(katex.readAllStandardOutput()).split('\n')) {
        if (line.startsWith(QLatin1String("katex_formulas_per_second ")))
            return line.section(' ', 1).toDouble();
    }
    return -1;
}
