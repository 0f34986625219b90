// What the font tests share: the installed fonts, hand-made font folders and a look at how a load stops.
#pragma once

#include "fonts/MathFontResources.h"
#include "fonts/PropertyList.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

namespace fonttest {

inline QVariantMap minimalTable(const QVariant& version) {
    return {{QStringLiteral("version"), version},
            {QStringLiteral("constants"), QVariantMap{{QStringLiteral("AxisHeight"), 250}}}};
}

// A font folder holding the installed default font file under `name`, with `table` as its export (or no
// export when `table` is empty).
inline bool makeFontFolder(const QTemporaryDir& dir, const QString& name, const QVariantMap& table) {
    const QString installed = zepla::math::mathFontFile(zepla::math::mathFontFolder(), "latinmodern-math");
    if (!QFile::copy(installed, dir.filePath(name + ".otf")))
        return false;
    if (table.isEmpty())
        return true;
    QFile plist(dir.filePath(name + ".plist"));
    return plist.open(QIODevice::WriteOnly) && plist.write(zepla::math::writePropertyList(table)) > 0;
}

struct Stop {
    bool crashedOrFailed;
    QString lastWords;
};

// Runs the stop probe with `arguments` and reports how it ended.
inline Stop runStopProbe(const QStringList& arguments) {
    QProcess probe;
    probe.start(QStringLiteral(MATHFONT_STOP_PROBE), arguments);
    probe.waitForFinished(60000);
    const bool failed = probe.exitStatus() == QProcess::CrashExit || probe.exitCode() != 0;
    return {failed, QString::fromUtf8(probe.readAllStandardError())};
}

} // namespace fonttest
