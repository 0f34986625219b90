#include "app/DocumentFile.h"

#include "core/Background.h"
#include "core/FileWriting.h"

#include <QCoreApplication>
#include <QSaveFile>
#include <QThread>

namespace zepla::app::DocumentFile {

namespace {

using platform::inBackground;

ReadResult readNow(const QString& path, QThread* home) {
    // Taken before the file is read: a file replaced meanwhile is then taken for changed, never the reverse.
    const auto identity = FileIdentity::ofPath(path);
    auto read = document::PDFEditorDocument::readFile(path);
    if (!read)
        return read.error().message;
    auto document = std::move(read).value();
    document->moveToThread(home);
    return OpenedFile{std::move(document), identity};
}

WriteResult failed(const QString& reason) {
    return {WriteResult::Status::failed, reason, {}, {}};
}

} // namespace

void read(const QString& path, QObject* context, std::function<void(ReadResult)> done) {
    QThread* home = context->thread();
    inBackground<ReadResult>([path, home] { return readNow(path, home); }, context, std::move(done));
}

WriteResult write(const QString& path, const QByteArray& bytes, std::optional<FileIdentity> expected) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return failed(file.errorString());
    if (!platform::writeAll(file, bytes)) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return failed(reason);
    }
    // Looked at last, just before the new file takes the old one's place.
    if (const auto onDisk = FileIdentity::ofPath(path); expected && onDisk && *onDisk != *expected) {
        file.cancelWriting();
        return {WriteResult::Status::changedOnDisk, {}, bytes, {}};
    }
    if (!file.commit())
        return failed(file.errorString());
    return {WriteResult::Status::written, {}, {}, FileIdentity::ofPath(path)};
}

void save(const QString& path, std::function<document::DocumentResult<QByteArray>()> snapshot,
          std::optional<FileIdentity> expected, QObject* context, std::function<void(WriteResult)> done) {
    inBackground<WriteResult>(
        [path, snapshot = std::move(snapshot), expected] {
            auto bytes = snapshot();
            if (!bytes)
                return failed(bytes.error().message);
            return write(path, bytes.value(), expected);
        },
        context, std::move(done));
}

} // namespace zepla::app::DocumentFile
