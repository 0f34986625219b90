// One background thread that carries out file reads and writes in the order they were asked for, so the UI
// thread never waits for the disk and a read or write is never overtaken by one asked for later. A write
// that is still waiting when a newer one for the same file arrives is replaced by it: only the newest
// content matters.
// Whatever is queued is finished before the writer goes away (at the latest when the program exits).
#pragma once

#include <QString>

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace zepla::platform {

class SerialWriter {
public:
    // The writer shared by files that have none of their own (the chat histories).
    static SerialWriter& shared();

    SerialWriter() = default;
    ~SerialWriter();
    SerialWriter(const SerialWriter&) = delete;
    SerialWriter& operator=(const SerialWriter&) = delete;

    // Queues work on the file at path. A replaceable job takes the place of the newest waiting job for
    // the same path when that one is replaceable too.
    void enqueue(const QString& path, std::function<void()> work, bool replaceable);
    // Returns once everything queued so far is done.
    void waitUntilIdle();

private:
    struct Job {
        QString path;
        std::function<void()> work;
        bool replaceable;
    };

    void run();

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<Job> m_jobs;
    bool m_busy = false;
    bool m_stopping = false;
    std::thread m_thread;
};

} // namespace zepla::platform
