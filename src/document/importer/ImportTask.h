// One conversion of the importer run on a worker thread, reporting to the UI thread.
#pragma once

#include "document/importer/DocumentImporter.h"

#include <QObject>
#include <QString>

#include <atomic>
#include <memory>
#include <optional>

class QThread;

namespace zepla::document {

class ImportTask : public QObject {
    Q_OBJECT

public:
    // Starts converting at once. Deleting the task cancels the conversion, waits for the worker and removes
    // a PDF it made that was never handed on.
    explicit ImportTask(const QString& path, QObject* parent = nullptr);
    ~ImportTask() override;

    const QString& path() const { return m_path; }
    void cancel() { m_cancelled = true; }

signals:
    // A fraction from 0 to 1, or a negative number while the amount of work is unknown.
    void progressed(double fraction);
    // Emitted once on the UI thread; `pdfPath` is empty when the conversion failed or was cancelled.
    void finished(const QString& pdfPath, const QString& failure, bool cancelled);

private:
    QString m_path;
    std::atomic<bool> m_cancelled{false};
    // Set by the worker once the conversion has ended.
    std::shared_ptr<std::optional<DocumentImporter::Result>> m_result =
        std::make_shared<std::optional<DocumentImporter::Result>>();
    bool m_delivered = false;
    QThread* m_worker = nullptr;
};

} // namespace zepla::document
