#include "app/FileWatch.h"

#include <QFileInfo>

namespace zepla::app {

FileWatch::FileWatch(QObject* parent) : QObject(parent) {
    const auto onEvent = [this] {
        // A file that came back under the same name (replaced by a rename) is a new file to watch.
        watch();
        emit touched();
    };
    connect(&m_watcher, &QFileSystemWatcher::fileChanged, this, onEvent);
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this, onEvent);
}

void FileWatch::setPath(const QString& path) {
    if (const QStringList watched = m_watcher.files() + m_watcher.directories(); !watched.isEmpty())
        m_watcher.removePaths(watched);
    m_path = path;
    watch();
}

void FileWatch::watch() {
    if (m_path.isEmpty())
        return;
    const QString folder = QFileInfo(m_path).absolutePath();
    if (!m_watcher.directories().contains(folder))
        m_watcher.addPath(folder);
    // Watched afresh each time: the name may now stand for another file than the one watched so far.
    if (m_watcher.files().contains(m_path))
        m_watcher.removePath(m_path);
    if (QFileInfo::exists(m_path))
        m_watcher.addPath(m_path);
}

} // namespace zepla::app
