#include "document/metadata/DocumentMetadata.h"

#include "document/DocumentUndo.h"
#include "pdf/PdfCatalog.h"

namespace zepla::document::DocumentMetadata {

namespace {

QString trimmedOfSpacesAndTabs(const QString& text) {
    auto blank = [](QChar c) { return c == u' ' || c == u'\t'; };
    qsizetype start = 0, end = text.size();
    while (start < end && blank(text.at(start)))
        ++start;
    while (end > start && blank(text.at(end - 1)))
        --end;
    return text.mid(start, end - start);
}

void store(pdf::Document& file, const DocumentAttributes& attributes) {
    file.setInfoValue(QStringLiteral("Title"), attributes.title);
    file.setInfoValue(QStringLiteral("Author"), attributes.author);
    file.setInfoValue(QStringLiteral("Subject"), attributes.subject);
    file.setInfoValue(QStringLiteral("Keywords"), joinKeywords(attributes.keywords));
}

// Puts `previous` back with the XMP metadata object it had, and registers the redo.
void restore(PDFEditorDocument& document, const DocumentAttributes& previous, int metadataObject,
             const DocumentAttributes& next, platform::UndoManager* undoManager) {
    pdf::Document& file = *document.pdfDocument();
    store(file, previous);
    pdf::setCatalogObject(file, "Metadata", metadataObject);
    document.announceChange();
    registerInverse(document, undoManager, [next, previous, undoManager](PDFEditorDocument& target) {
        applyAttributes(next, target, previous, undoManager);
    });
}

} // namespace

QStringList splitKeywords(const QString& text) {
    QStringList keywords;
    for (const QString& piece : text.split(u','))
        if (const QString keyword = trimmedOfSpacesAndTabs(piece); !keyword.isEmpty())
            keywords << keyword;
    return keywords;
}

QString joinKeywords(const QStringList& keywords) {
    return keywords.join(QStringLiteral(", "));
}

DocumentAttributes read(const pdf::Document& document) {
    return {document.infoValue(QStringLiteral("Title")), document.infoValue(QStringLiteral("Author")),
            document.infoValue(QStringLiteral("Subject")),
            splitKeywords(document.infoValue(QStringLiteral("Keywords")))};
}

void applyAttributes(const DocumentAttributes& next, PDFEditorDocument& document,
                     const DocumentAttributes& previous, platform::UndoManager* undoManager) {
    pdf::Document& file = *document.pdfDocument();
    const int metadataObject = pdf::catalogObject(file, "Metadata");
    store(file, next);
    if (next != previous)
        pdf::setCatalogObject(file, "Metadata", 0);
    document.announceChange();
    registerInverse(document, undoManager,
                    [previous, metadataObject, next, undoManager](PDFEditorDocument& target) {
                        restore(target, previous, metadataObject, next, undoManager);
                    });
}

} // namespace zepla::document::DocumentMetadata
