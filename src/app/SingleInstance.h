// One running Zepla per user: a second launch hands its files to the first one and ends.
#pragma once

#include <QLocalServer>
#include <QObject>
#include <QStringList>

namespace zepla::app {

class SingleInstance : public QObject {
    Q_OBJECT

public:
    // The socket lives in the user's runtime folder, so each user (and each test) has an instance of its own.
    static QString defaultServerName();

    explicit SingleInstance(const QString& serverName = defaultServerName(), QObject* parent = nullptr);

    // Sends the files (absolute paths) to a running instance; true when one took them, so this process can
    // end. An empty list asks the running instance to show itself.
    bool handOver(const QStringList& files, int timeoutMilliseconds = 3000);
    // Becomes the running instance; a socket left behind by a crashed instance is replaced.
    bool listen();

signals:
    void filesReceived(const QStringList& files);

private:
    void receive();

    QString m_serverName;
    QLocalServer m_server;
};

} // namespace zepla::app
