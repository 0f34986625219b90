// Reading a PDF file into a document and writing a document's bytes to a file, both off the UI thread.
#pragma once

#include "app/FileIdentity.h"
#include "core/Result.h"
#include "document/PDFEditorDocument.h"

#include <QByteArray>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

namespace zepla::app::DocumentFile {

struct OpenedFile {
    std::unique_ptr<document::PDFEditorDocument> document;
    std::optional<FileIdentity> identity; // the file that was read
};
// The opened file, or why it could not be opened, for the user.
using ReadResult = Result<OpenedFile, QString>;

// Reads and parses the file on a worker thread; `done` runs on the thread of `context`, not at all when
// `context` is gone by then. The document lives on that thread.
void read(const QString& path, QObject* context, std::function<void(ReadResult)> done);

struct WriteResult {
    enum class Status {
        written,
        failed,
        changedOnDisk, // the file is not the one the document came from: nothing was written
    };
    Status status = Status::failed;
    QString reason;                       // failed: why, for the user
    QByteArray bytes;                     // changedOnDisk: what was to be written, kept for the user's answer
    std::optional<FileIdentity> identity; // written: the file as it now is
};

// Writes the whole file through a temporary file that replaces the old one only once it is complete, so an
// interrupted write never leaves a half-written file. With `expected`, a file that another program changed or
// replaced meanwhile (it no longer has that identity) is left as it is; a file that is gone is written anew.
WriteResult write(const QString& path, const QByteArray& bytes, std::optional<FileIdentity> expected = {});
// Makes the bytes with `snapshot` on a worker thread and writes them as `write` does; `done` gets the outcome
// on the thread of `context`.
void save(const QString& path, std::function<document::DocumentResult<QByteArray>()> snapshot,
          std::optional<FileIdentity> expected, QObject* context, std::function<void(WriteResult)> done);

} // namespace zepla::app::DocumentFile
