#pragma once

#include <QElapsedTimer>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>

// The otoscope's control channel on a loopback port: keeps the newest client,
// records what it sends with the time since it connected, and answers as a
// test asks.
class FakeControlDevice : public QTcpServer
{
public:
    struct Received
    {
        qint64 ms; // since the client connected
        QByteArray bytes;
    };

    explicit FakeControlDevice(const QHostAddress &address = QHostAddress::LocalHost,
                               quint16 port = 0)
    {
        connect(this, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *socket = nextPendingConnection()) {
                client = socket;
                ++connections;
                received.clear();
                m_sinceConnect.start();
                connect(socket, &QTcpSocket::readyRead, this, [this, socket] {
                    received.append({m_sinceConnect.elapsed(), socket->readAll()});
                });
            }
        });
        listen(address, port);
    }

    bool hasClient() const { return client && client->state() == QTcpSocket::ConnectedState; }
    void send(const QByteArray &bytes) { client->write(bytes); }
    QByteArray bytes() const
    {
        QByteArray all;
        for (const Received &r : received)
            all += r.bytes;
        return all;
    }

    QPointer<QTcpSocket> client;
    QList<Received> received;
    int connections = 0;

private:
    QElapsedTimer m_sinceConnect;
};
