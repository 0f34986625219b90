// The "Document Info" sheet: title, author, subject and comma-separated keywords of the open document,
// saved as one undoable step.
#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;

namespace zepla::platform {
class UndoManager;
}

namespace zepla::document {
class PDFEditorDocument;
}

namespace zepla::ui {

class MetadataEditorView : public QDialog {
    Q_OBJECT

public:
    MetadataEditorView(document::PDFEditorDocument& document, platform::UndoManager* undoManager,
                       QWidget* parent = nullptr);

    QLineEdit* titleField() const { return m_title; }
    QLineEdit* authorField() const { return m_author; }
    QLineEdit* subjectField() const { return m_subject; }
    QLineEdit* keywordsField() const { return m_keywords; }
    QPushButton* saveButton() const { return m_save; }

    // Applies the four fields to the document and closes the sheet.
    void save();

private:
    document::PDFEditorDocument& m_document;
    platform::UndoManager* m_undoManager;
    QLineEdit* m_title;
    QLineEdit* m_author;
    QLineEdit* m_subject;
    QLineEdit* m_keywords;
    QPushButton* m_save;
};

} // namespace zepla::ui
