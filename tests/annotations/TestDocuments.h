// Documents for the annotation tests: opened from fixture bytes, and saved where other readers can read them.
#pragma once

#include "pdf/PdfDocument.h"

#include <QFile>
#include <QStandardPaths>
#include <QString>
#include <QtGlobal>

#include <memory>

namespace testdocs {

inline std::shared_ptr<zepla::pdf::Document> open(const QByteArray& bytes) {
    auto result = zepla::pdf::Document::open(bytes);
    if (!result)
        qFatal("open failed: %s", qPrintable(result.error().message));
    return result.value();
}

// Writes the whole document to `path`; returns the path.
inline QString saveTo(const zepla::pdf::Document& document, const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(document.save().value()) < 0)
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

// Stops the test run when a tool the test reads files with is missing.
inline void requireTool(const QString& program) {
    if (QStandardPaths::findExecutable(program).isEmpty())
        qFatal("%s is needed (scripts/setup installs it)", qPrintable(program));
}

} // namespace testdocs
