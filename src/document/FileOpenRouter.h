// Sorts the files the user opens by extension and sends each on its road: PDFs to a document window,
// convertible files to the importer, everything else to the read-only preview.
#pragma once

#include <QString>
#include <QStringList>

namespace zepla::document {

// Where opened files go; the application installs the real ones at start-up.
class FileOpenTargets {
public:
    virtual ~FileOpenTargets() = default;
    virtual void openDocument(const QString& path) = 0; // a PDF, in a document window
    virtual void importDocument(const QString& path) = 0; // converted to PDF first
    virtual void openPreview(const QString& path) = 0;    // read-only preview window
};

namespace FileOpenRouter {

enum class Kind { pdf, converted, preview, unknown };

// Converted to PDF, in this order.
const QStringList& track1Extensions();
// Shown in the preview window, in this order.
const QStringList& track2Extensions();

// The kind of a file from the lower-cased text after the last dot of its name; the file is not read.
Kind classify(const QString& path);

// Sends the file on the road of its kind, through the installed targets. Returns at once.
void open(const QString& path);
void setTargets(FileOpenTargets* targets);

// The extensions the open dialogs offer ("*.pdf", "*.rtf", ...): PDF and every convertible and previewable
// extension, 25 in all.
QStringList allSupportedContentTypes();
// What a drop zone accepts: the above, then any file at all ("*").
QStringList allDropUTTypes();
// A filter line for file dialogs: "Documents (*.pdf *.rtf ...)".
QString openDialogNameFilter();

} // namespace FileOpenRouter

} // namespace zepla::document
