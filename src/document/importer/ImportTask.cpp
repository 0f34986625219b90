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
        const DocumentImporter::Result& converted = **result;
        if (!converted)
            emit finished(QString(), converted.error().reason, converted.error().cancelled);
        else
            emit finished(converted.value(), QString(), false);
    });
    m_worker->start();
}

// A PDF made but never handed on would stay in the temporary folder with nobody to open it.
ImportTask::~ImportTask() {
    m_cancelled = true;
    m_worker->wait();
    delete m_worker;
    if (const auto& converted = *m_result; converted && *converted && !m_delivered)
        DocumentImporter::discard(converted->value());
}

} // namespace zepla::document
