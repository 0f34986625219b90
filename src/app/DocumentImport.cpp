#include "app/DocumentImport.h"

#include "app/Alerts.h"
#include "document/importer/ImportTask.h"

#include <QFileInfo>
#include <QProgressDialog>
#include <QShortcut>

namespace zepla::app {

namespace {

// Short conversions finish before any progress window appears.
constexpr int progressDelayMilliseconds = 400;

// A window of its own, so that closing the window the file was opened from takes nothing with it.
std::unique_ptr<QProgressDialog> makeProgress(const QString& path) {
    auto progress = std::make_unique<QProgressDialog>();
    progress->setWindowTitle(QObject::tr("Converting"));
    progress->setLabelText(QObject::tr("Converting “%1” to PDF…").arg(QFileInfo(path).fileName()));
    progress->setRange(0, 0);
    progress->setMinimumDuration(progressDelayMilliseconds);
    progress->setAutoReset(false);
    progress->setAutoClose(false);
    progress->setWindowModality(Qt::NonModal);
    progress->setValue(0);
    return progress;
}

} // namespace

struct DocumentImports::Import {
    std::unique_ptr<QProgressDialog> progress;
    std::unique_ptr<document::ImportTask> task;
};

DocumentImports::DocumentImports(QObject* parent) : QObject(parent) {}

DocumentImports::~DocumentImports() {
    cancelAll();
}

void DocumentImports::import(const QString& path) {
    auto* import = new Import{makeProgress(path), std::make_unique<document::ImportTask>(path)};
    m_imports << import;
    QProgressDialog* progress = import->progress.get();
    document::ImportTask* task = import->task.get();
    connect(progress, &QProgressDialog::canceled, task, &document::ImportTask::cancel);
    connect(new QShortcut(QKeySequence(QStringLiteral("Ctrl+Q")), progress), &QShortcut::activated, this,
            &DocumentImports::quitRequested);
    connect(task, &document::ImportTask::progressed, progress, [progress](double fraction) {
        if (fraction < 0) {
            progress->setRange(0, 0);
            return;
        }
        progress->setRange(0, 100);
        progress->setValue(qRound(fraction * 100));
    });
    connect(task, &document::ImportTask::finished, this,
            [this, import, path](const QString& pdfPath, const QString& failure, bool cancelled) {
                if (!pdfPath.isEmpty())
                    emit converted(pdfPath);
                else if (!cancelled)
                    showAlert(nullptr, document::DocumentImporter::conversionFailureTitle(path),
                              document::DocumentImporter::conversionFailureMessage(failure));
                end(import);
            });
}

// The progress window closes only once the document or the alert is on its way, so that the application is
// never seen without a window in between.
void DocumentImports::end(Import* import) {
    m_imports.removeOne(import);
    import->progress->close();
    import->progress.release()->deleteLater();
    import->task.release()->deleteLater();
    delete import;
    emit importEnded();
}

void DocumentImports::cancelAll() {
    const QList<Import*> imports = std::exchange(m_imports, {});
    for (Import* import : imports) {
        import->progress->close();
        delete import;
    }
}

} // namespace zepla::app
