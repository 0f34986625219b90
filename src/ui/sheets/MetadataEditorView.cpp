#include "ui/sheets/MetadataEditorView.h"

#include "document/metadata/DocumentMetadata.h"
#include "ui/sheets/SheetParts.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace zepla::ui {

using document::DocumentMetadata::joinKeywords;

MetadataEditorView::MetadataEditorView(document::PDFEditorDocument& document,
                                       platform::UndoManager* undoManager, QWidget* parent)
    : QDialog(parent), m_document(document), m_undoManager(undoManager) {
    setWindowTitle(QStringLiteral("Document Info"));
    setFixedWidth(360);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 20, 20, 20);
    layout->setSpacing(14);
    layout->addWidget(SheetParts::heading(QStringLiteral("Document Info"), this));
    m_title = SheetParts::labeledField(QStringLiteral("Title"), QString(), layout, this);
    m_author = SheetParts::labeledField(QStringLiteral("Author"), QString(), layout, this);
    m_subject = SheetParts::labeledField(QStringLiteral("Subject"), QString(), layout, this);
    m_keywords =
        SheetParts::labeledField(QStringLiteral("Keywords"), QStringLiteral("Comma-separated"), layout, this);

    m_save = new QPushButton(QStringLiteral("Save"), this);
    m_save->setDefault(true);
    layout->addLayout(SheetParts::cancelAndConfirm(this, m_save));

    const document::DocumentAttributes current = document::DocumentMetadata::read(*m_document.pdfDocument());
    m_title->setText(current.title);
    m_author->setText(current.author);
    m_subject->setText(current.subject);
    m_keywords->setText(joinKeywords(current.keywords));

    connect(m_save, &QPushButton::clicked, this, &MetadataEditorView::save);
}

void MetadataEditorView::save() {
    const document::DocumentAttributes previous = document::DocumentMetadata::read(*m_document.pdfDocument());
    const document::DocumentAttributes next{m_title->text(), m_author->text(), m_subject->text(),
                                            document::DocumentMetadata::splitKeywords(m_keywords->text())};
    document::DocumentMetadata::applyAttributes(next, m_document, previous, m_undoManager);
    accept();
}

} // namespace zepla::ui
