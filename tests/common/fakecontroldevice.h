#pragma once

#include <QElapsedTimer>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>

// The otoscope's control channel: keeps the newest client and records each read
// from it with the milliseconds since it connected.
class FakeControlDevice : public QTcpServer
{
public:
    explicit FakeControlDevice(const QHostAddress &address = QHostAddress::LocalHost,
                               quint16 port = 0)
    {
        connect(this, &QTcpServer::newConnection, this, [this] {
            QTcpSocket *socket = nextPendingConnection();
            client = socket;
            ++connections;
            received.clear();
            m_sinceConnect.start();
            connect(socket, &QTcpSocket::readyRead, this, [this, socket] {
                received.append({m_sinceConnect.elapsed(), socket->readAll()});
            });
        });
        listen(address, port);
    }

    bool hasClient() const { return client && client->state() == QTcpSocket::ConnectedState; }
    QByteArray bytes() const
    {
        QByteArray all;
        for (const auto &read : received)
            all += read.second;
        return all;
    }

    QPointer<QTcpSocket> client;
    QList<QPair<qint64, QByteArray>> received;
    int connections = 0;

private:
    QElapsedTimer m_sinceConnect;
};
