// The document of a document window: the PDF every view of the window shows and edits, and whether its file
// was password-protected when it was read.
#pragma once

#include "pdf/PdfDocument.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>
#include <memory>

namespace zepla::document {

struct DocumentError {
    enum class Code {
        fileReadCorruptFile, // the file holds no PDF we can read
        fileWriteUnknown,    // the PDF could not be serialised
    };
    Code code;
    QString message;
};

template <class T> using DocumentResult = zepla::Result<T, DocumentError>;

class PDFEditorDocument : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool wasPasswordProtected READ wasPasswordProtected WRITE setWasPasswordProtected NOTIFY
                   wasPasswordProtectedChanged)

public:
    // A new, untitled document without pages.
    explicit PDFEditorDocument(QObject* parent = nullptr);
    // Reads a document from a file's bytes. An encrypted file reads fine and stays locked until unlocked.
    static DocumentResult<std::unique_ptr<PDFEditorDocument>> read(const QByteArray& bytes);
    // The same from a file, read where it lies: only a regular file that starts like a PDF is read further.
    static DocumentResult<std::unique_ptr<PDFEditorDocument>> readFile(const QString& path);

    const std::shared_ptr<pdf::Document>& pdfDocument() const { return m_pdf; }
    // Replaces the PDF as a whole (a file opened into this window).
    void setPdfDocument(std::shared_ptr<pdf::Document> pdf);

    bool wasPasswordProtected() const { return m_wasPasswordProtected; }
    void setWasPasswordProtected(bool value);

    // The bytes to write on save: the whole file, rewritten. A document still locked writes the bytes it
    // was read from, since nothing in it could have changed.
    DocumentResult<QByteArray> snapshot() const { return snapshotWriter()(); }
    // The same, made later on any thread: what it needs is taken now. The PDF is shared, not copied, so
    // nobody else may use it until the writer has run (it locks itself, and would make them wait).
    std::function<DocumentResult<QByteArray>()> snapshotWriter() const;

    // Edits made inside the PDF call this once per operation, after the change, so the views redraw.
    void announceChange();
    // Work that swaps pages in one after another in the background calls this for each: the views hear of
    // the pages swapped in within a short interval together, instead of laying out and repainting the whole
    // document for every page. An announceChange in the meantime tells them of these pages too.
    void announceChangeSoon();
    // Edits the undo history does not hold (a note's text retyped) call this, so the window knows the
    // document differs from its file.
    void announceEditWithoutUndo();

signals:
    void changed();
    void editedWithoutUndo();
    void pdfDocumentReplaced();
    void wasPasswordProtectedChanged(bool value);

private:
    static DocumentResult<std::unique_ptr<PDFEditorDocument>>
    fromOpened(pdf::Result<std::shared_ptr<pdf::Document>> opened);

    std::shared_ptr<pdf::Document> m_pdf;
    bool m_wasPasswordProtected = false;
    QTimer m_changeSoon;
};

} // namespace zepla::document
