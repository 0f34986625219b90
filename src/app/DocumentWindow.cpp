#include "app/DocumentWindow.h"

#include "app/Alerts.h"
#include "app/DocumentController.h"
#include "app/DocumentFile.h"
#include "app/OpenProgress.h"
#include "app/SaveProgressCover.h"
#include "core/Background.h"
#include "core/LaunchTrace.h"
#include "document/passwords/PDFUnlocker.h"
#include "ui/landing/RecentDocuments.h"
#include "ui/passwords/PasswordPromptDialog.h"
#include "ui/theme/Colors.h"
#include "ui/theme/DialogSizing.h"
#include "ui/window/ContentView.h"

#include <QCloseEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QToolBar>

#include <utility>

namespace zepla::app {

// What the window shows over its document.
using Content = ui::ContentView;

DocumentWindow::DocumentWindow(std::unique_ptr<document::PDFEditorDocument> document, const QString& filePath,
                               DocumentController& controller, std::optional<FileIdentity> identity)
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
    makeFileNoticeBar();
    // While a save runs the file is ours to change; what the save left is looked at when it ends.
    connect(&m_fileWatch, &FileWatch::touched, this, [this] {
        if (!m_saving)
            updateFileNotice();
    });
    setFileOnDisk(m_filePath, identity);
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

std::optional<QString> DocumentWindow::askSavePath() {
    QFileDialog dialog(this, tr("Save As"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilter(tr("PDF documents (*.pdf)"));
    dialog.setDefaultSuffix(QStringLiteral("pdf"));
    if (m_filePath.isEmpty())
        dialog.selectFile(displayName() + QStringLiteral(".pdf"));
    else
        dialog.selectFile(m_filePath);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst();
}

void DocumentWindow::saveAs(std::function<void(bool)> done) {
    if (const auto path = askSavePath())
        return saveTo(*path, std::move(done));
    if (done)
        done(false);
}

void DocumentWindow::saveTo(const QString& path, std::function<void(bool)> done) {
    if (m_saving) {
        if (done)
            done(false);
        return;
    }
    m_saving = true;
    emit savingChanged(true);
    // What the bytes will hold: this PDF at this revision. Every edit of any kind bumps the revision.
    PendingSave save{path, m_document->pdfDocument(), m_document->pdfDocument()->revision(), std::move(done)};
    // Only the window's own file is held to what it was; another file chosen in Save As is the user's word.
    const bool ownFile = !m_filePath.isEmpty() && QFileInfo(path) == QFileInfo(m_filePath);
    if (!ownFile && save.pdf->isProtectionDamaged()) {
        // Its unprotected copy helps only where the pages' content can be read without the password.
        showAlert(this, tr("“%1” could not be saved.").arg(QFileInfo(path).fileName()),
                  save.pdf->isContentDamaged()
                      ? tr("The protected document is damaged and no password can decrypt its pages, so it "
                           "cannot be saved.")
                      : tr("The protected document is damaged and can only be saved as an unprotected copy, "
                           "with Remove Password (Decrypt)… in the page tools."));
        return endSave(save, false);
    }
    if (ownFile && save.pdf->isContentDamaged()) {
        showAlert(
            this, tr("“%1” could not be saved.").arg(QFileInfo(path).fileName()),
            tr("The document is damaged and its pages’ content cannot be read, so it cannot be saved over."));
        return endSave(save, false);
    }
    write(std::move(save), m_document->snapshotWriter(), ownFile ? m_fileIdentity : std::nullopt);
}

void DocumentWindow::write(PendingSave save, std::function<document::DocumentResult<QByteArray>()> snapshot,
                           std::optional<FileIdentity> expected) {
    m_cover = std::make_unique<SaveProgressCover>(*centralWidget(), QFileInfo(save.path).fileName());
    DocumentFile::save(
        save.path, std::move(snapshot), expected, this, [this, save](DocumentFile::WriteResult result) {
            m_cover.reset();
            switch (result.status) {
            case DocumentFile::WriteResult::Status::written:
                return saved(save, result.identity);
            case DocumentFile::WriteResult::Status::changedOnDisk:
                return askAboutChangedFile(save, std::move(result.bytes));
            case DocumentFile::WriteResult::Status::failed:
                // Damaged protection may be found only by the save itself: the alert names the one way left.
                showAlert(
                    this, tr("“%1” could not be saved.").arg(QFileInfo(save.path).fileName()),
                    save.pdf->isProtectionDamaged() && !save.pdf->isContentDamaged()
                        ? tr("%1 Remove Password (Decrypt)… in the page tools saves an unprotected copy.")
                              .arg(result.reason)
                        : result.reason);
                return endSave(save, false);
            }
        });
}

void DocumentWindow::saved(const PendingSave& save, std::optional<FileIdentity> identity) {
    // An edit made after the bytes were taken is not in the file.
    if (m_document->pdfDocument() == save.pdf && save.pdf->revision() == save.revision) {
        m_editedWithoutUndo = false;
        m_undoManager.setClean();
    }
    setFilePath(save.path);
    setFileOnDisk(m_filePath, identity);
    ui::RecentDocuments::note(m_filePath);
    endSave(save, true);
}

void DocumentWindow::askAboutChangedFile(PendingSave save, QByteArray bytes) {
    auto* prompt =
        new QMessageBox(QMessageBox::Warning, windowTitle(),
                        tr("“%1” was changed by another application.").arg(QFileInfo(save.path).fileName()),
                        QMessageBox::NoButton, this);
    prompt->setObjectName(QStringLiteral("changedOnDiskPrompt"));
    prompt->setInformativeText(tr("Overwrite replaces its version with yours; Save As… keeps both."));
    QPushButton* overwrite = prompt->addButton(tr("Overwrite"), QMessageBox::DestructiveRole);
    QPushButton* saveAs = prompt->addButton(tr("Save As…"), QMessageBox::AcceptRole);
    QPushButton* cancel = prompt->addButton(tr("Cancel"), QMessageBox::RejectRole);
    prompt->setDefaultButton(cancel);
    prompt->setEscapeButton(cancel);
    ui::sizeAlertToText(*prompt);
    prompt->setAttribute(Qt::WA_DeleteOnClose);
    prompt->setWindowModality(Qt::WindowModal);
    connect(prompt, &QMessageBox::finished, this, [this, prompt, overwrite, saveAs, save, bytes]() mutable {
        QAbstractButton* choice = prompt->clickedButton();
        // The bytes already made are written: the document is not serialised a second time.
        const auto kept = [bytes]() -> document::DocumentResult<QByteArray> { return bytes; };
        if (choice == overwrite)
            return write(std::move(save), kept, std::nullopt);
        if (choice == saveAs) {
            if (const auto path = askSavePath()) {
                save.path = *path;
                return write(std::move(save), kept, std::nullopt);
            }
        }
        endSave(save, false);
    });
    prompt->open();
}

void DocumentWindow::endSave(const PendingSave& save, bool saved) {
    m_saving = false;
    emit savingChanged(false);
    updateFileNotice();
    if (save.done)
        save.done(saved);
    // A close that waited for this save goes on, or does not happen.
    if (std::exchange(m_closeWhenSaved, false)) {
        if (saved)
            close();
        else
            finishClose(false);
    }
}

void DocumentWindow::setFileOnDisk(const QString& path, std::optional<FileIdentity> identity) {
    m_fileIdentity = identity;
    m_fileWatch.setPath(path);
    updateFileNotice();
}

void DocumentWindow::makeFileNoticeBar() {
    m_noticeBar = new QToolBar(this);
    m_noticeBar->setObjectName(QStringLiteral("fileNotice"));
    m_noticeBar->setMovable(false);
    m_noticeBar->setFloatable(false);
    m_noticeBar->toggleViewAction()->setEnabled(false);
    m_noticeBar->setAutoFillBackground(true);
    QPalette tint = m_noticeBar->palette();
    tint.setColor(QPalette::Window, ui::Color::markerAmber().lighter(160));
    m_noticeBar->setPalette(tint);
    m_notice = new QLabel(m_noticeBar);
    m_notice->setContentsMargins(8, 4, 8, 4);
    m_noticeBar->addWidget(m_notice);
    addToolBar(Qt::TopToolBarArea, m_noticeBar);
    m_noticeBar->hide();
}

QString DocumentWindow::fileNotice() const {
    return m_noticeBar->isHidden() ? QString() : m_notice->text();
}

void DocumentWindow::updateFileNotice() {
    const auto onDisk = m_fileIdentity ? FileIdentity::ofPath(m_filePath) : std::nullopt;
    QString notice;
    if (m_fileIdentity && !onDisk)
        notice = tr("“%1” was deleted or moved by another application. Your changes are kept here; "
                    "saving writes the file again.")
                     .arg(displayName());
    else if (m_fileIdentity && *onDisk != *m_fileIdentity)
        notice = tr("“%1” was changed by another application. Your changes are kept here; saving asks "
                    "before replacing it.")
                     .arg(displayName());
    m_notice->setText(notice);
    m_noticeBar->setVisible(!notice.isEmpty());
}

void DocumentWindow::openInPlace(const QString& path) {
    if (m_controller.bringForward(path))
        return;
    auto progress = std::make_shared<OpenProgress>(QFileInfo(path).fileName(), this);
    DocumentFile::read(path, this, [this, path, progress](DocumentFile::ReadResult read) mutable {
        progress.reset();
        if (!read)
            return m_controller.showOpenFailure(path, read.error());
        auto& opened = read.value();
        // A locked file asks for its password before it replaces anything; cancelling changes nothing.
        const bool unlocked = document::PDFUnlocker::promptAndUnlock(
            *opened.document->pdfDocument(), [this](bool afterWrongPassword) {
                return ui::PasswordPromptDialog::ask(this, afterWrongPassword);
            });
        if (!unlocked)
            return;
        m_replacingDocument = true;
        m_document->setPdfDocument(opened.document->pdfDocument());
        m_document->setWasPasswordProtected(opened.document->wasPasswordProtected());
        m_replacingDocument = false;
        m_undoManager.removeAllActions();
        m_undoManager.setClean();
        m_editedWithoutUndo = false;
        setFilePath(path);
        setFileOnDisk(m_filePath, opened.identity);
        ui::RecentDocuments::note(m_filePath);
        emit documentReplaced();
        warnAboutDamage();
    });
}

void DocumentWindow::warnAboutDamage() {
    const pdf::Document& pdf = *m_document->pdfDocument();
    const QString name = QFileInfo(m_filePath).fileName();
    // An unprotected copy is pointed to only where it can hold the pages' content.
    if (pdf.isProtectionDamaged())
        showAlert(
            this, tr("“%1” is a damaged protected document.").arg(name),
            pdf.isContentDamaged()
                ? tr("The file identifier that its password needs is lost with the damaged end of the "
                     "file, so no password can decrypt it and its pages’ content cannot be read: it "
                     "cannot be saved over and opens read-only.")
                : tr("The file identifier that its password needs is lost with the damaged end of the "
                     "file, so no password can decrypt it: it cannot be saved over and opens read-only. "
                     "Remove Password (Decrypt)… in the page tools saves an unprotected copy."));
    else if (pdf.isContentDamaged())
        showAlert(
            this, tr("“%1” is damaged.").arg(name),
            tr("The document is damaged and its pages’ content cannot be read, so it cannot be saved over "
               "and opens read-only."));
    // Counting them reads every page object, a while on a long file: a worker counts, and the window says
    // so when it knows. Blank pages then stand in for the unreadable ones, and pages that only the file's
    // objects held take their places: the views read the pages again.
    std::shared_ptr<pdf::Document> counted = m_document->pdfDocument();
    const quint64 revision = counted->revision();
    platform::inBackground<int>(
        [counted] { return counted->unreadablePageCount(); }, this,
        [this, counted, name, revision](int unreadable) {
            if (m_document->pdfDocument() != counted)
                return;
            if (counted->revision() != revision)
                m_document->announceChange();
            if (unreadable == 0)
                return;
            showAlert(this, tr("“%1” is damaged.").arg(name),
                      unreadable == 1
                          ? tr("1 page could not be read. It is shown blank in its place.")
                          : tr("%1 pages could not be read. They are shown blank in their places.")
                                .arg(unreadable));
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
