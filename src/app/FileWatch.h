// Tells when a file may have changed on disk: written in place, replaced, moved away or deleted. Its folder
// is watched too, since a file replaced by a rename takes the file's own watch away with it.
#pragma once

#include <QFileSystemWatcher>
#include <QObject>
#include <QString>

namespace zepla::app {

class FileWatch : public QObject {
    Q_OBJECT

public:
    explicit FileWatch(QObject* parent = nullptr);
    // Watches this file from now on; an empty path watches nothing.
    void setPath(const QString& path);

signals:
    // Something happened to the file or beside it; whether the file is still the same is for the receiver to
    // find out.
    void touched();

private:
    void watch();

    QFileSystemWatcher m_watcher;
    QString m_path;
};

} // namespace zepla::app
