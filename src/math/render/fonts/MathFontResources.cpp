// Where the installed math fonts live, and how the engine reports a font resource it cannot use.
#include "fonts/MathFontResources.h"

#include <QDir>
#include <QFileInfo>
#include <QtGlobal>

namespace zepla::math {

namespace {

constexpr char kResourceBundleName[] = "MathTypeset_MathTypeset.bundle";
constexpr char kFontBundleName[] = "mathFonts.bundle";

QString existingFile(const QString& folder, const QString& name, const char* extension) {
    if (folder.isEmpty())
        return {};
    const QString path = folder + QLatin1Char('/') + name + QLatin1Char('.') + QLatin1String(extension);
    return QFileInfo(path).isFile() ? path : QString();
}

} // namespace

QString mathResourceBundle() {
    static const QString bundle = [] {
        const QString programFolder =
            QFileInfo(QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath()).path();
        const QString candidates[] = {
            programFolder + QStringLiteral("/../share/zepla"),
            QStringLiteral(ZEPLA_MATH_RESOURCE_BUILD_DIR),
            programFolder,
        };
        for (const QString& folder : candidates) {
            const QString path = QDir(folder).absoluteFilePath(QLatin1String(kResourceBundleName));
            if (QFileInfo(path).isDir())
                return QDir::cleanPath(path);
        }
        stopOnDamagedResource(QStringLiteral("unable to find bundle named MathTypeset_MathTypeset"));
    }();
    return bundle;
}

QString mathFontFolder() {
    const QString folder = mathResourceBundle() + QLatin1Char('/') + QLatin1String(kFontBundleName);
    return QFileInfo(folder).isDir() ? folder : QString();
}

QString mathFontFile(const QString& folder, const QString& name) {
    return existingFile(folder, name, "otf");
}

QString mathTableFile(const QString& folder, const QString& name) {
    return existingFile(folder, name, "plist");
}

void stopOnDamagedResource(const QString& message) {
    qFatal("%s", qPrintable(message));
}

void warnMathFontReplaced(const QString& name) {
    qWarning("Math font \"%s\" is not installed; using \"%s\" instead.", qPrintable(name),
             kDefaultMathFontName);
}

} // namespace zepla::math
