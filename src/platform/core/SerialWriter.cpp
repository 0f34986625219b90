#include "core/SerialWriter.h"

#include <algorithm>

namespace zepla::platform {

SerialWriter& SerialWriter::shared() {
    static SerialWriter writer;
    return writer;
}

SerialWriter::~SerialWriter() {
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_changed.notify_all();
    if (m_thread.joinable())
        m_thread.join();
}

void SerialWriter::enqueue(const QString& path, std::function<void()> work, bool replaceable) {
    {
        std::lock_guard lock(m_mutex);
        if (!m_thread.joinable())
            m_thread = std::thread([this] { run(); });
        const auto newest =
            std::find_if(m_jobs.rbegin(), m_jobs.rend(), [&](const Job& job) { return job.path == path; });
        if (replaceable && newest != m_jobs.rend() && newest->replaceable)
            newest->work = std::move(work);
        else
            m_jobs.push_back({path, std::move(work), replaceable});
    }
    m_changed.notify_all();
}

void SerialWriter::waitUntilIdle() {
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return m_jobs.empty() && !m_busy; });
}

// Drains the queue before stopping, so nothing asked for is lost at exit.
void SerialWriter::run() {
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_changed.wait(lock, [this] { return !m_jobs.empty() || m_stopping; });
        if (m_jobs.empty())
            return;
        Job job = std::move(m_jobs.front());
        m_jobs.pop_front();
        m_busy = true;
        lock.unlock();
        job.work();
        lock.lock();
        m_busy = false;
        m_changed.notify_all();
    }
}

} // namespace zepla::platform
