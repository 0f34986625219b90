// The sidebar's "Page tools" menu and what its items do: merging files into the document or into a new
// file, splitting, the document sheets, recognition of the whole document, and the file panels they use.
#include "ui/sidebar/ThumbnailSidebar.h"

#include "core/UndoManager.h"
#include "document/PDFEditorDocument.h"
#include "document/pages/DerivedFile.h"
#include "document/passwords/PasswordCopies.h"
#include "pdfview/coordinator/PDFViewCoordinator.h"
#include "ui/passwords/PasswordPromptDialog.h"
#include "ui/theme/DialogSizing.h"

#include <QAction>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QStandardPaths>

namespace zepla::ui {

namespace {

PageAlert couldNotOpen(const QString& path) {
    return {QStringLiteral("Couldn't Open PDF"),
            QFileInfo(path).fileName() + QStringLiteral(" couldn't be read as a PDF.")};
}

} // namespace

void ThumbnailSidebar::fillPageToolsMenu() {
    QMenu* menu = m_pageToolsMenu;
    menu->addSection(QStringLiteral("Pages"));
    menu->addAction(QStringLiteral("Merge PDF Into Document…"), this, &ThumbnailSidebar::mergeDocument);
    menu->addAction(QStringLiteral("Merge Multiple Files…"), this, &ThumbnailSidebar::mergeMultipleFiles);
    menu->addAction(QStringLiteral("Split Document…"), this, &ThumbnailSidebar::splitDocument);
    menu->addSection(QStringLiteral("Document"));
    menu->addAction(QStringLiteral("Edit Metadata…"), this, [this] { presentSheet(SidebarSheet::metadata); });
    menu->addAction(QStringLiteral("Edit Bookmarks…"), this,
                    [this] { presentSheet(SidebarSheet::bookmarks); });
    menu->addAction(QStringLiteral("Add Watermark…"), this,
                    [this] { presentSheet(SidebarSheet::watermark); });
    menu->addSection(QStringLiteral("Optimize"));
    menu->addAction(QStringLiteral("Compress PDF…"), this, [this] { presentSheet(SidebarSheet::compress); });
    m_recognizeAction = menu->addAction(QStringLiteral("Recognize Text (OCR)…"), this,
                                        &ThumbnailSidebar::ocrDocumentRequested);
    menu->addSection(QStringLiteral("Security"));
    menu->addAction(QStringLiteral("Set Password (Encrypt)…"), this,
                    [this] { presentSheet(SidebarSheet::setPassword); });
    m_removePasswordAction = menu->addAction(QStringLiteral("Remove Password (Decrypt)…"), this,
                                             &ThumbnailSidebar::removePassword);
    m_removePasswordAction->setEnabled(m_document->wasPasswordProtected());
    connect(m_document, &document::PDFEditorDocument::wasPasswordProtectedChanged, m_removePasswordAction,
            &QAction::setEnabled);
}

void ThumbnailSidebar::setDocumentOCRRunning(bool running) {
    m_recognizeAction->setEnabled(!running);
}

std::shared_ptr<pdf::Document> ThumbnailSidebar::openChosenPdf(const QString& path) {
    auto opened = pdf::Document::openFile(path);
    if (!opened || (opened.value()->pageCount() == 0 && !opened.value()->isLocked())) {
        showAlert(couldNotOpen(path));
        return nullptr;
    }
    const document::PDFUnlocker::PasswordPrompt prompt =
        m_passwordPrompt ? m_passwordPrompt : [this](bool afterWrongPassword) {
            return PasswordPromptDialog::ask(window(), afterWrongPassword);
        };
    if (!document::PDFUnlocker::promptAndUnlock(*opened.value(), prompt))
        return nullptr;
    return opened.value();
}

void ThumbnailSidebar::mergeDocument() {
    const QString path = runOpenPanel();
    if (path.isEmpty())
        return;
    const std::shared_ptr<pdf::Document> source = openChosenPdf(path);
    if (!source)
        return;
    const int at = m_selection.empty() ? m_document->pdfDocument()->pageCount() : *m_selection.begin() + 1;
    const int failed = document::PageOperations::merge(*m_document, *source, at, m_undoManager);
    layoutPdfView();
    // Pages that could not be copied are never passed off as merged.
    if (failed > 0)
        showAlert({QStringLiteral("Some Pages Couldn't Be Merged"),
                   QStringLiteral("%1 of the %2 pages of %3 couldn't be read; the others were merged.")
                       .arg(failed)
                       .arg(source->pageCount())
                       .arg(QFileInfo(path).fileName())});
}

void ThumbnailSidebar::mergeMultipleFiles() {
    const QStringList paths = runMultiOpenPanel();
    if (paths.isEmpty())
        return;
    std::vector<std::shared_ptr<pdf::Document>> documents;
    for (const QString& path : paths) {
        std::shared_ptr<pdf::Document> opened = openChosenPdf(path);
        if (!opened)
            return;
        documents.push_back(std::move(opened));
    }
    const document::DerivedDocument merged = document::PageOperations::mergeFiles(documents);
    if (merged.failedPages > 0) {
        showAlert({QStringLiteral("Couldn't Merge"),
                   QStringLiteral("%1 pages of the chosen files couldn't be read, so nothing was written.")
                       .arg(merged.failedPages)});
        return;
    }
    const QString destination = runSavePanel(QStringLiteral("Merged.pdf"));
    if (destination.isEmpty())
        return;
    if (!document::writeDerivedFile(*merged.document, destination)) {
        showAlert({QStringLiteral("Couldn't Save"),
                   QStringLiteral("The merged PDF couldn't be written to that location.")});
        return;
    }
    showAlert({QStringLiteral("Merge Complete"), QStringLiteral("Saved %1 with %2 pages from %3 files.")
                                                     .arg(QFileInfo(destination).fileName())
                                                     .arg(merged.document->pageCount())
                                                     .arg(paths.size())});
}

void ThumbnailSidebar::splitDocument() {
    pdf::Document& pdf = *m_document->pdfDocument();
    const int n = pdf.pageCount();
    if (n < 2) {
        showAlert({QStringLiteral("Nothing to Split"), QStringLiteral("This document only has one page.")});
        return;
    }
    const std::optional<int> current = m_coordinator ? m_coordinator->currentPageIndex() : std::nullopt;
    const int k = !m_selection.empty() ? *m_selection.begin() : current.value_or(n / 2);
    if (k < 1 || k >= n) {
        showAlert({QStringLiteral("Can't Split There"),
                   QStringLiteral("Select a page (other than the first) to split before.")});
        return;
    }
    const QString folder = runFolderPanel();
    if (folder.isEmpty())
        return;
    document::IndexSet first, second;
    for (int i = 0; i < k; ++i)
        first.insert(i);
    for (int i = k; i < pdf.pageCount(); ++i)
        second.insert(i);
    const document::DerivedDocument parts[] = {document::PageOperations::extractPages(first, pdf),
                                               document::PageOperations::extractPages(second, pdf)};
    if (parts[0].failedPages + parts[1].failedPages > 0) {
        showAlert(
            {QStringLiteral("Couldn't Split"),
             QStringLiteral("Some pages couldn't be read from this document, so nothing was written.")});
        return;
    }
    const QString base = baseName();
    const QStringList paths{QDir(folder).filePath(base + QStringLiteral(" (1).pdf")),
                            QDir(folder).filePath(base + QStringLiteral(" (2).pdf"))};
    if (!mayReplace(paths))
        return;
    if (!document::writeDerivedFile(*parts[0].document, paths[0]) ||
        !document::writeDerivedFile(*parts[1].document, paths[1])) {
        showAlert({QStringLiteral("Couldn't Save"),
                   QStringLiteral("The split documents couldn't be written to that folder.")});
        return;
    }
    showAlert({QStringLiteral("Split Complete"),
               QStringLiteral("Saved %1 and %2. The open document is unchanged.")
                   .arg(QFileInfo(paths[0]).fileName(), QFileInfo(paths[1]).fileName())});
}

bool ThumbnailSidebar::mayReplace(const QStringList& paths) {
    QStringList existing;
    for (const QString& path : paths)
        if (QFileInfo::exists(path))
            existing.append(QStringLiteral("“%1”").arg(QFileInfo(path).fileName()));
    if (existing.isEmpty())
        return true;
    QMessageBox question(QMessageBox::Warning, QStringLiteral("Replace Existing Files?"),
                         QStringLiteral("Replace Existing Files?"), QMessageBox::NoButton, window());
    question.setInformativeText(QStringLiteral("%1 already exist in that folder. Replacing overwrites them.")
                                    .arg(existing.join(" and ")));
    QPushButton* replace = question.addButton(QStringLiteral("Replace"), QMessageBox::DestructiveRole);
    question.addButton(QMessageBox::Cancel);
    question.setDefaultButton(QMessageBox::Cancel);
    sizeAlertToText(question);
    question.exec();
    return question.clickedButton() == replace;
}

void ThumbnailSidebar::removePassword() {
    const QString path = runSavePanel(document::PasswordCopies::unlockedCopyName(baseName()));
    if (path.isEmpty())
        return;
    const auto outcome = document::PasswordCopies::removePassword(*m_document->pdfDocument(), path);
    showAlert({outcome.title, outcome.message});
}

// --- file panels ---

QString ThumbnailSidebar::runSavePanel(const QString& suggestedName) {
    if (m_savePanel)
        return m_savePanel(suggestedName);
    const QString path = m_coordinator ? m_coordinator->filePath() : QString();
    const QString folder = path.isEmpty()
                               ? QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation)
                               : QFileInfo(path).absolutePath();
    QFileDialog panel(window(), QString(), folder);
    panel.setAcceptMode(QFileDialog::AcceptSave);
    panel.setNameFilter(QStringLiteral("PDF (*.pdf)"));
    panel.setDefaultSuffix(QStringLiteral("pdf"));
    panel.selectFile(suggestedName);
    sizeFileDialogToColumns(panel);
    if (panel.exec() != QDialog::Accepted || panel.selectedFiles().isEmpty())
        return {};
    return panel.selectedFiles().constFirst();
}

void ThumbnailSidebar::setSavePanel(SavePanel panel) {
    m_savePanel = std::move(panel);
}

namespace {

QStringList runOpenDialog(QWidget* parent, QFileDialog::FileMode mode) {
    QFileDialog panel(parent);
    panel.setAcceptMode(QFileDialog::AcceptOpen);
    panel.setFileMode(mode);
    if (mode == QFileDialog::Directory) {
        panel.setOption(QFileDialog::ShowDirsOnly);
        panel.setLabelText(QFileDialog::Accept, QStringLiteral("Choose"));
    } else {
        panel.setNameFilter(QStringLiteral("PDF (*.pdf)"));
    }
    sizeFileDialogToColumns(panel);
    if (panel.exec() != QDialog::Accepted)
        return {};
    return panel.selectedFiles();
}

} // namespace

QString ThumbnailSidebar::runOpenPanel() {
    if (m_openPanels.open)
        return m_openPanels.open();
    return runOpenDialog(window(), QFileDialog::ExistingFile).value(0);
}

QStringList ThumbnailSidebar::runMultiOpenPanel() {
    if (m_openPanels.openMany)
        return m_openPanels.openMany();
    return runOpenDialog(window(), QFileDialog::ExistingFiles);
}

QString ThumbnailSidebar::runFolderPanel() {
    if (m_openPanels.folder)
        return m_openPanels.folder();
    return runOpenDialog(window(), QFileDialog::Directory).value(0);
}

void ThumbnailSidebar::setOpenPanels(OpenPanels panels) {
    m_openPanels = std::move(panels);
}

void ThumbnailSidebar::setPasswordPrompt(document::PDFUnlocker::PasswordPrompt prompt) {
    m_passwordPrompt = std::move(prompt);
}

} // namespace zepla::ui
