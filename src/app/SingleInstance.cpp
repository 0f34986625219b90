#include "app/SingleInstance.h"

#include <QDataStream>
#include <QLocalSocket>
#include <QStandardPaths>

namespace zepla::app {

QString SingleInstance::defaultServerName() {
    return QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation) +
           QStringLiteral("/zepla-instance");
}

SingleInstance::SingleInstance(const QString& serverName, QObject* parent)
    : QObject(parent), m_serverName(serverName) {
    m_server.setSocketOptions(QLocalServer::UserAccessOption);
    connect(&m_server, &QLocalServer::newConnection, this, &SingleInstance::receive);
}

bool SingleInstance::handOver(const QStringList& files, int timeoutMilliseconds) {
    QLocalSocket socket;
    socket.connectToServer(m_serverName);
    if (!socket.waitForConnected(timeoutMilliseconds))
        return false;
    QByteArray message;
    QDataStream stream(&message, QIODevice::WriteOnly);
    stream << files;
    socket.write(message);
    if (!socket.waitForBytesWritten(timeoutMilliseconds))
        return false;
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState)
        socket.waitForDisconnected(timeoutMilliseconds);
    return true;
}

bool SingleInstance::listen() {
    if (m_server.listen(m_serverName))
        return true;
    // Nobody answered handOver(), so a socket file that is there was left by an instance that died.
    QLocalServer::removeServer(m_serverName);
    return m_server.listen(m_serverName);
}

void SingleInstance::receive() {
    while (QLocalSocket* socket = m_server.nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        // The whole list arrives before the sender disconnects.
        connect(socket, &QLocalSocket::readChannelFinished, this, [this, socket] {
            QDataStream stream(socket->readAll());
            QStringList files;
            stream >> files;
            if (stream.status() == QDataStream::Ok)
                emit filesReceived(files);
        });
    }
}

} // namespace zepla::app
