// Reading a PDF file into a document and writing a document's bytes to a file, both off the UI thread.
#pragma once

#include "document/PDFEditorDocument.h"

#include <QByteArray>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

namespace zepla::app::DocumentFile {

struct ReadResult {
    std::unique_ptr<document::PDFEditorDocument> document; // null on failure
    QString error;                                         // why, for the user, on failure
};

// Reads and parses the file on a worker thread; `done` runs on the thread of `context`, not at all when
// `context` is gone by then. The document lives on that thread.
void read(const QString& path, QObject* context, std::function<void(ReadResult)> done);

// Writes the whole file through a temporary file that replaces the old one only once it is complete, so an
// interrupted write never leaves a half-written file. Returns the reason on failure.
std::optional<QString> write(const QString& path, const QByteArray& bytes);
// The same on a worker thread; `done` gets the failure, if any, on the thread of `context`.
void writeInBackground(const QString& path, QByteArray bytes, QObject* context,
                       std::function<void(std::optional<QString> failure)> done);

} // namespace zepla::app::DocumentFile
