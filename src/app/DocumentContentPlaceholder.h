// What a document window shows until its editing workspace arrives: a note for a locked PDF, the first page
// of a PDF with pages, the landing content for an empty document.
#pragma once

#include "core/UndoManager.h"
#include "document/PDFEditorDocument.h"

#include <QStackedWidget>

class QLabel;

namespace zepla::app {

class DocumentContentPlaceholder : public QStackedWidget {
    Q_OBJECT

public:
    DocumentContentPlaceholder(document::PDFEditorDocument& document, platform::UndoManager& undoManager,
                               const QString& filePath, QWidget* parent = nullptr);

    // The window's file changed (Save As, or a file opened into the window).
    void setFilePath(const QString& path);

signals:
    // A PDF chosen in the landing content, to be opened into this window.
    void openInPlaceRequested(const QString& path);

private:
    void showState();
    void renderFirstPage();

    document::PDFEditorDocument& m_document;
    QString m_filePath;
    QLabel* m_message;
    QLabel* m_page;
    QWidget* m_landing;
};

} // namespace zepla::app
