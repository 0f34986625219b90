// File-open targets that only note where the router sent each file.
#pragma once

#include "document/FileOpenRouter.h"

#include <QStringList>

struct RecordingTargets : zepla::document::FileOpenTargets {
    QStringList documents, imports, previews;
    void openDocument(const QString& path) override { documents << path; }
    void importDocument(const QString& path) override { imports << path; }
    void openPreview(const QString& path) override { previews << path; }
};
