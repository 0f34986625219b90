#include "app/DocumentImport.h"

#include "app/Alerts.h"
#include "app/DocumentController.h"
#include "document/importer/ImportTask.h"

#include <QApplication>
#include <QFileInfo>
#include <QProgressDialog>

namespace zepla::app {

namespace {

// Short conversions finish before any progress window appears.
constexpr int progressDelayMilliseconds = 400;

} // namespace

void importDocument(const QString& path, DocumentController& controller) {
    auto* progress = new QProgressDialog(QApplication::activeWindow());
    progress->setWindowTitle(QObject::tr("Converting"));
    progress->setLabelText(QObject::tr("Converting “%1” to PDF…").arg(QFileInfo(path).fileName()));
    progress->setRange(0, 0);
    progress->setMinimumDuration(progressDelayMilliseconds);
    progress->setAutoReset(false);
    progress->setAutoClose(false);
    progress->setWindowModality(Qt::NonModal);
    progress->setValue(0);

    auto* task = new document::ImportTask(path, progress);
    QObject::connect(progress, &QProgressDialog::canceled, task, &document::ImportTask::cancel);
    QObject::connect(task, &document::ImportTask::progressed, progress, [progress](double fraction) {
        if (fraction < 0) {
            progress->setRange(0, 0);
            return;
        }
        progress->setRange(0, 100);
        progress->setValue(qRound(fraction * 100));
    });
    QObject::connect(
        task, &document::ImportTask::finished, progress,
        [progress, path, &controller](const QString& pdfPath, const QString& failure, bool cancelled) {
            QWidget* asker = progress->parentWidget();
            progress->deleteLater();
            if (!pdfPath.isEmpty())
                return controller.openDocument(pdfPath);
            if (cancelled)
                return;
            showAlert(asker, document::DocumentImporter::conversionFailureTitle(path),
                      document::DocumentImporter::conversionFailureMessage(failure));
        });
}

} // namespace zepla::app
