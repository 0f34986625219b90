#include "document/importer/ImportTask.h"

#include <QThread>

namespace zepla::document {

ImportTask::ImportTask(const QString& path, QObject* parent) : QObject(parent), m_path(path) {
    auto result = m_result;
    ImportProgress progress;
    progress.cancelled = &m_cancelled;
    // Reports are queued to the task's thread; at most one waits at a time, so a fast worker cannot flood it.
    auto pending = std::make_shared<std::atomic<bool>>(false);
    progress.report = [this, pending](double fraction) {
        if (pending->exchange(true))
            return;
        QMetaObject::invokeMethod(
            this,
            [this, pending, fraction] {
                pending->store(false);
                emit progressed(fraction);
            },
            Qt::QueuedConnection);
    };
    m_worker =
        QThread::create([path, progress, result] { *result = DocumentImporter::convert(path, progress); });
    connect(m_worker, &QThread::finished, this, [this, result] {
        m_delivered = true;
        if (const auto* failure = std::get_if<DocumentImporter::Failure>(result.get()))
            emit finished(QString(), failure->reason, failure->cancelled);
        else
            emit finished(std::get<QString>(*result), QString(), false);
    });
    m_worker->start();
}

// A PDF made but never handed on would stay in the temporary folder with nobody to open it.
ImportTask::~ImportTask() {
    m_cancelled = true;
    m_worker->wait();
    delete m_worker;
    if (const auto* pdfPath = std::get_if<QString>(m_result.get()); pdfPath && !m_delivered)
        DocumentImporter::discard(*pdfPath);
}

} // namespace zepla::document
