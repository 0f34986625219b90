#include "document/FileOpenRouter.h"

#include <QFileInfo>

namespace zepla::document::FileOpenRouter {

namespace {
FileOpenTargets* g_targets = nullptr;
}

const QStringList& track1Extensions() {
    static const QStringList extensions{"rtf", "rtfd", "txt", "doc",  "docx", "html", "htm", "md",
                                        "jpg", "jpeg", "png", "heic", "gif",  "bmp",  "tiff", "tif"};
    return extensions;
}

const QStringList& track2Extensions() {
    static const QStringList extensions{"xls", "xlsx", "ppt", "pptx", "pages", "numbers", "key", "epub"};
    return extensions;
}

Kind classify(const QString& path) {
    // A trailing slash (an .rtfd folder given as a directory path) does not hide the name.
    QString name = path;
    while (name.size() > 1 && name.endsWith('/'))
        name.chop(1);
    const QString extension = QFileInfo(name).suffix().toLower();
    if (extension == QLatin1String("pdf"))
        return Kind::pdf;
    if (track1Extensions().contains(extension))
        return Kind::converted;
    if (track2Extensions().contains(extension))
        return Kind::preview;
    return Kind::unknown;
}

void setTargets(FileOpenTargets* targets) { g_targets = targets; }

void open(const QString& path) {
    if (!g_targets)
        return;
    switch (classify(path)) {
    case Kind::pdf: g_targets->openDocument(path); break;
    case Kind::converted: g_targets->importDocument(path); break;
    case Kind::preview:
    case Kind::unknown: g_targets->openPreview(path); break;
    }
}

QStringList allSupportedContentTypes() {
    QStringList patterns{QStringLiteral("*.pdf")};
    for (const QStringList* list : {&track1Extensions(), &track2Extensions()})
        for (const QString& extension : *list)
            patterns << QStringLiteral("*.") + extension;
    return patterns;
}

QStringList allDropUTTypes() { return allSupportedContentTypes() << QStringLiteral("*"); }

QString openDialogNameFilter() {
    return QStringLiteral("Documents (%1)").arg(allSupportedContentTypes().join(' '));
}

} // namespace zepla::document::FileOpenRouter
