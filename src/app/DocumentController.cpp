#include "app/DocumentController.h"

#include "app/Alerts.h"
#include "app/AppMenus.h"
#include "app/DocumentFile.h"
#include "app/DocumentWindow.h"
#include "app/OpenProgress.h"
#include "core/MemoryRelease.h"
#include "document/FileOpenRouter.h"
#include "document/ThumbnailCache.h"
#include "pdf/PdfStore.h"
#include "ui/landing/RecentDocuments.h"
#include "ui/theme/DialogSizing.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QScreen>
#include <QTimer>

namespace zepla::app {

namespace {

// One spelling per file, so that a file reached through a link or a relative path is still the same file.
QString fileKey(const QString& path) {
    const QFileInfo info(path);
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? info.absoluteFilePath() : canonical;
}

void showInFront(QWidget* window) {
    if (window->isMinimized())
        window->showNormal();
    window->show();
    window->raise();
    window->activateWindow();
}

// How often, and how many times at most, a closed document is looked for before its memory is given back.
constexpr int releaseCheckInterval = 100;
constexpr int releaseChecks = 100;

} // namespace

DocumentController::DocumentController(UpdaterController& updater, QObject* parent)
    : QObject(parent), m_updater(updater) {
    connect(&m_imports, &DocumentImports::converted, this, &DocumentController::openDocument);
    connect(&m_imports, &DocumentImports::importEnded, this, &DocumentController::openingEnded);
    connect(&m_imports, &DocumentImports::quitRequested, this, &DocumentController::terminate);
}

DocumentController::~DocumentController() {
    qDeleteAll(m_documents);
}

DocumentWindow* DocumentController::addWindow(DocumentWindow* window) {
    m_documents << window;
    installMenus(*window, window);
    connect(window, &DocumentWindow::closed, this, [this, window] {
        m_documents.removeOne(window);
        releaseCaches(*window);
        window->deleteLater();
    });
    connect(window, &DocumentWindow::documentReplaced, this,
            [this, window] { emit documentReplaced(window); });
    // Document windows open filling the screen's free area, once; the user may resize them afterwards.
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        window->setGeometry(screen->availableGeometry());
    else
        window->resize(1000, 760);
    showInFront(window);
    emit documentOpened(window);
    return window;
}

DocumentWindow* DocumentController::newDocument() {
    return addWindow(new DocumentWindow(std::make_unique<document::PDFEditorDocument>(), QString(), *this));
}

DocumentWindow* DocumentController::documentFor(const QString& path) const {
    const QString key = fileKey(path);
    for (DocumentWindow* window : m_documents)
        if (!window->filePath().isEmpty() && fileKey(window->filePath()) == key)
            return window;
    return nullptr;
}

bool DocumentController::bringForward(const QString& path) {
    DocumentWindow* window = documentFor(path);
    if (!window)
        return false;
    showInFront(window);
    return true;
}

void DocumentController::openDocument(const QString& path) {
    const QString key = fileKey(path);
    if (bringForward(key) || m_opening.contains(key))
        return;
    m_opening.insert(key);
    auto progress = std::make_shared<OpenProgress>(QFileInfo(path).fileName(), nullptr);
    DocumentFile::read(key, this, [this, path, key, progress](DocumentFile::ReadResult read) mutable {
        progress.reset();
        m_opening.remove(key);
        // Named as the user named it: a link to a device is named as the link.
        if (!read)
            showOpenFailure(QFileInfo(path).isSymLink() ? path : key, read.error());
        // Opened twice while reading: the window of the first read stands.
        else if (!bringForward(key)) {
            ui::RecentDocuments::note(key);
            auto* window =
                new DocumentWindow(std::move(read.value().document), key, *this, read.value().identity);
            addWindow(window);
            window->warnAboutDamage();
        }
        emit openingEnded();
    });
}

void DocumentController::importDocument(const QString& path) {
    m_imports.import(path);
}

void DocumentController::showOpenFailure(const QString& path, const QString& reason) {
    if (!QFileInfo::exists(path))
        ui::RecentDocuments::remove(path);
    showAlert(nullptr, tr("The document “%1” could not be opened.").arg(QFileInfo(path).fileName()), reason);
}

void DocumentController::runOpenDialog(QWidget* parent) {
    QFileDialog dialog(parent, tr("Open"));
    dialog.setFileMode(QFileDialog::ExistingFiles);
    dialog.setNameFilter(document::FileOpenRouter::openDialogNameFilter());
    ui::sizeFileDialogToColumns(dialog);
    if (dialog.exec() != QDialog::Accepted)
        return;
    for (const QString& path : dialog.selectedFiles())
        document::FileOpenRouter::open(path);
}

// A closed document gives back what was kept for it: its thumbnails at once, and once the document itself
// is gone (rendering and thumbnail work still under way hold it a moment longer) and the workers that drew it
// have left with what they held, what MuPDF kept from it for reuse and the heap pages all of it leaves free.
void DocumentController::releaseCaches(DocumentWindow& window) {
    const std::shared_ptr<pdf::Document>& pdf = window.document().pdfDocument();
    if (!pdf)
        return;
    document::ThumbnailCache::removeObjects(*pdf);
    auto* check = new QTimer(this);
    check->setInterval(releaseCheckInterval);
    connect(check, &QTimer::timeout, this,
            [check, gone = std::weak_ptr<pdf::Document>(pdf), waited = 0]() mutable {
                if (!gone.expired() && ++waited < releaseChecks)
                    return;
                check->deleteLater();
                QTimer::singleShot(platform::idleWorkerExpiryMs + releaseCheckInterval, [] {
                    pdf::emptyStore();
                    platform::returnFreeMemory();
                });
            });
    check->start();
}

void DocumentController::installMenus(QMainWindow& window, DocumentWindow* document) {
    AppMenus::install(window, *this, m_updater, document);
}

void DocumentController::terminate() {
    if (m_terminating)
        return;
    m_terminating = true;
    closeNextForTermination();
}

void DocumentController::closeNextForTermination() {
    if (m_documents.isEmpty()) {
        m_imports.cancelAll();
        QApplication::quit();
        return;
    }
    m_documents.constFirst()->requestClose([this](bool closed) {
        if (!closed) {
            m_terminating = false;
            return;
        }
        // The closed window leaves the list on this turn; the next one is asked on the following turn.
        QTimer::singleShot(0, this, &DocumentController::closeNextForTermination);
    });
}

} // namespace zepla::app
