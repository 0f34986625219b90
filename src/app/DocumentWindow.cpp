#include "app/DocumentWindow.h"

#include "app/Alerts.h"
#include "app/DocumentController.h"
#include "app/DocumentFile.h"
#include "core/LaunchTrace.h"
#include "document/passwords/PDFUnlocker.h"
#include "ui/landing/RecentDocuments.h"
#include "ui/passwords/PasswordPromptDialog.h"
#include "ui/theme/DialogSizing.h"
#include "ui/window/ContentView.h"

#include <QCloseEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>

#include <utility>

namespace zepla::app {

// What the window shows over its document.
using Content = ui::ContentView;

DocumentWindow::DocumentWindow(std::unique_ptr<document::PDFEditorDocument> document, const QString& filePath,
                               DocumentController& controller)
    : m_document(std::move(document)), m_filePath(filePath), m_controller(controller) {
    connect(&m_undoManager, &platform::UndoManager::cleanChanged, this, &DocumentWindow::updateTitle);
    connect(m_document.get(), &document::PDFEditorDocument::pdfDocumentReplaced, this, [this] {
        if (m_replacingDocument)
            return;
        m_editedWithoutUndo = true;
        updateTitle();
    });
    connect(m_document.get(), &document::PDFEditorDocument::editedWithoutUndo, this, [this] {
        m_editedWithoutUndo = true;
        updateTitle();
    });
    setCentralWidget(makeContent());
    updateTitle();
}

DocumentWindow::~DocumentWindow() {
    // The content refers to the document, so it goes first.
    delete takeCentralWidget();
}

void DocumentWindow::paintEvent(QPaintEvent* event) {
    QMainWindow::paintEvent(event);
    platform::LaunchTrace::reached("document window painted");
}

QWidget* DocumentWindow::makeContent() {
    auto* content = new Content(*m_document, m_undoManager, m_filePath, this);
    connect(content, &Content::openInPlaceRequested, this, &DocumentWindow::openInPlace);
    connect(content, &Content::settingsRequested, this, &DocumentWindow::settingsRequested);
    connect(this, &DocumentWindow::filePathChanged, content, &Content::setFilePath);
    return content;
}

QString DocumentWindow::displayName() const {
    return m_filePath.isEmpty() ? tr("Untitled") : QFileInfo(m_filePath).fileName();
}

bool DocumentWindow::isDocumentEdited() const {
    return m_editedWithoutUndo || !m_undoManager.isClean();
}

void DocumentWindow::updateTitle() {
    setWindowTitle(displayName() + QStringLiteral("[*]"));
    setWindowFilePath(m_filePath);
    const bool edited = isDocumentEdited();
    if (edited != isWindowModified()) {
        setWindowModified(edited);
        emit documentEditedChanged(edited);
    }
}

void DocumentWindow::setFilePath(const QString& path) {
    m_filePath = QFileInfo(path).absoluteFilePath();
    updateTitle();
    emit filePathChanged(m_filePath);
}

void DocumentWindow::save(std::function<void(bool)> done) {
    if (m_filePath.isEmpty())
        return saveAs(std::move(done));
    saveTo(m_filePath, std::move(done));
}

void DocumentWindow::saveAs(std::function<void(bool)> done) {
    QFileDialog dialog(this, tr("Save As"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilter(tr("PDF documents (*.pdf)"));
    dialog.setDefaultSuffix(QStringLiteral("pdf"));
    if (m_filePath.isEmpty())
        dialog.selectFile(displayName() + QStringLiteral(".pdf"));
    else
        dialog.selectFile(m_filePath);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        if (done)
            done(false);
        return;
    }
    saveTo(dialog.selectedFiles().constFirst(), std::move(done));
}

void DocumentWindow::saveTo(const QString& path, std::function<void(bool)> done) {
    const auto finish = [done](bool saved) {
        if (done)
            done(saved);
    };
    if (m_saving)
        return finish(false);
    const QString name = QFileInfo(path).fileName();
    auto snapshot = m_document->snapshot();
    if (auto* error = std::get_if<document::DocumentError>(&snapshot)) {
        showAlert(this, tr("The document “%1” could not be saved.").arg(name), error->message);
        return finish(false);
    }
    m_saving = true;
    // What the bytes hold: this PDF at this revision. Every edit of any kind bumps the revision.
    const std::shared_ptr<pdf::Document> saved = m_document->pdfDocument();
    const quint64 savedRevision = saved->revision();
    DocumentFile::writeInBackground(
        path, std::get<QByteArray>(std::move(snapshot)), this,
        [this, path, name, finish, saved, savedRevision](auto failure) {
            m_saving = false;
            if (failure) {
                showAlert(this, tr("The document “%1” could not be saved.").arg(name), *failure);
                finish(false);
                // A close that waited for this save does not happen.
                if (std::exchange(m_closeWhenSaved, false))
                    finishClose(false);
                return;
            }
            // An edit made while the bytes were being written is not in the file.
            if (m_document->pdfDocument() == saved && saved->revision() == savedRevision) {
                m_editedWithoutUndo = false;
                m_undoManager.setClean();
            }
            setFilePath(path);
            ui::RecentDocuments::note(m_filePath);
            finish(true);
            if (m_closeWhenSaved) {
                m_closeWhenSaved = false;
                close();
            }
        });
}

void DocumentWindow::openInPlace(const QString& path) {
    if (m_controller.bringForward(path))
        return;
    DocumentFile::read(path, this, [this, path](DocumentFile::ReadResult read) {
        if (!read.document)
            return m_controller.showOpenFailure(path, read.error);
        // A locked file asks for its password before it replaces anything; cancelling changes nothing.
        const bool unlocked = document::PDFUnlocker::promptAndUnlock(
            *read.document->pdfDocument(), [this](bool afterWrongPassword) {
                return ui::PasswordPromptDialog::ask(this, afterWrongPassword);
            });
        if (!unlocked)
            return;
        m_replacingDocument = true;
        m_document->setPdfDocument(read.document->pdfDocument());
        m_document->setWasPasswordProtected(read.document->wasPasswordProtected());
        m_replacingDocument = false;
        m_undoManager.removeAllActions();
        m_undoManager.setClean();
        m_editedWithoutUndo = false;
        setFilePath(path);
        ui::RecentDocuments::note(m_filePath);
        emit documentReplaced();
    });
}

void DocumentWindow::requestClose(std::function<void(bool)> done) {
    m_closeCallback = std::move(done);
    close();
}

void DocumentWindow::finishClose(bool closed) {
    if (auto callback = std::exchange(m_closeCallback, nullptr))
        callback(closed);
}

void DocumentWindow::closeEvent(QCloseEvent* event) {
    if (m_saving) {
        // The write in progress finishes first; the window closes when it succeeds.
        m_closeWhenSaved = true;
        return event->ignore();
    }
    if (m_closeApproved || !isDocumentEdited()) {
        event->accept();
        emit closed();
        return finishClose(true);
    }
    event->ignore();
    askToSave();
}

void DocumentWindow::askToSave() {
    if (m_closePrompt)
        return;
    m_closePrompt =
        new QMessageBox(QMessageBox::Warning, windowTitle(),
                        tr("Do you want to save the changes made to the document “%1”?").arg(displayName()),
                        QMessageBox::NoButton, this);
    m_closePrompt->setInformativeText(tr("Your changes will be lost if you don’t save them."));
    QPushButton* saveButton = m_closePrompt->addButton(tr("Save"), QMessageBox::AcceptRole);
    QPushButton* discardButton = m_closePrompt->addButton(tr("Don’t Save"), QMessageBox::DestructiveRole);
    m_closePrompt->addButton(tr("Cancel"), QMessageBox::RejectRole);
    m_closePrompt->setDefaultButton(saveButton);
    ui::sizeAlertToText(*m_closePrompt);
    m_closePrompt->setAttribute(Qt::WA_DeleteOnClose);
    m_closePrompt->setWindowModality(Qt::WindowModal);
    connect(m_closePrompt, &QMessageBox::finished, this, [this, saveButton, discardButton] {
        QAbstractButton* choice = m_closePrompt->clickedButton();
        m_closePrompt = nullptr;
        const auto closeNow = [this] {
            m_closeApproved = true;
            close();
        };
        if (choice == discardButton)
            return closeNow();
        if (choice != saveButton)
            return finishClose(false);
        save([this, closeNow](bool saved) {
            if (saved)
                closeNow();
            else
                finishClose(false);
        });
    });
    m_closePrompt->open();
}

} // namespace zepla::app
