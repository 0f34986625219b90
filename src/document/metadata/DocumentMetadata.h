// The four entries of a document's information the "Document Info" sheet edits: title, author, subject and
// keywords, read and applied as one undoable step.
#pragma once

#include "document/PDFEditorDocument.h"

#include <QString>
#include <QStringList>

namespace zepla::platform {
class UndoManager;
}

namespace zepla::document {

struct DocumentAttributes {
    QString title; // an empty text means the entry is absent
    QString author;
    QString subject;
    QStringList keywords; // an empty list means the entry is absent

    bool operator==(const DocumentAttributes&) const = default;
};

namespace DocumentMetadata {

// The keywords typed as one line: split at every comma, each piece trimmed of spaces and tabs (line breaks
// stay), empty pieces dropped. A semicolon is no separator.
QStringList splitKeywords(const QString& text);
// The keywords as the sheet shows them and the file stores them: joined by a comma and a space.
QString joinKeywords(const QStringList& keywords);

DocumentAttributes read(const pdf::Document& document);

// Stores `next` (texts exactly as typed; empty ones remove their entry) and announces the change. Other
// entries of the information dictionary stay as they are. The document's XMP metadata, which readers may
// prefer to the dictionary, is taken out when the values change, so it cannot contradict them. Undo brings
// back `previous` and the XMP metadata; each application is one undo step, even without changes.
void applyAttributes(const DocumentAttributes& next, PDFEditorDocument& document,
                     const DocumentAttributes& previous, platform::UndoManager* undoManager);

} // namespace DocumentMetadata

} // namespace zepla::document
