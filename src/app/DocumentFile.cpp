#include "app/DocumentFile.h"

#include "core/Background.h"

#include <QCoreApplication>
#include <QFile>
#include <QSaveFile>
#include <QThread>

namespace zepla::app::DocumentFile {

namespace {

using platform::inBackground;

ReadResult readNow(const QString& path, QThread* home) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {nullptr, file.errorString()};
    auto read = document::PDFEditorDocument::read(file.readAll());
    if (auto* error = std::get_if<document::DocumentError>(&read))
        return {nullptr, error->message};
    auto document = std::move(std::get<std::unique_ptr<document::PDFEditorDocument>>(read));
    document->moveToThread(home);
    return {std::move(document), {}};
}

} // namespace

void read(const QString& path, QObject* context, std::function<void(ReadResult)> done) {
    QThread* home = context->thread();
    inBackground<ReadResult>([path, home] { return readNow(path, home); }, context, std::move(done));
}

std::optional<QString> write(const QString& path, const QByteArray& bytes) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    if (file.write(bytes) != bytes.size()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return reason;
    }
    if (!file.commit())
        return file.errorString();
    return std::nullopt;
}

void writeInBackground(const QString& path, QByteArray bytes, QObject* context,
                       std::function<void(std::optional<QString>)> done) {
    inBackground<std::optional<QString>>([path, bytes = std::move(bytes)] { return write(path, bytes); },
                                         context, std::move(done));
}

} // namespace zepla::app::DocumentFile
