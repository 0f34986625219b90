// Long work on a thread of its own, its result handed back on the thread of a context object.
#pragma once

#include <QObject>
#include <QThread>

#include <functional>
#include <memory>
#include <optional>

namespace zepla::platform {

// Runs `work` on a new thread; `done` gets its result on the thread of `context`, unless `context` is gone
// by then, in which case the result is dropped. Work that should stop early watches a flag of its own.
template <class Result>
void inBackground(std::function<Result()> work, QObject* context, std::function<void(Result)> done) {
    auto result = std::make_shared<std::optional<Result>>();
    QThread* worker = QThread::create([work = std::move(work), result] { *result = work(); });
    QObject::connect(worker, &QThread::finished, context,
                     [result, done = std::move(done)] { done(std::move(**result)); });
    QObject::connect(worker, &QThread::finished, worker, &QObject::deleteLater);
    worker->start();
}

} // namespace zepla::platform
