#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>

// A stand-in for the otoscope's control channel on a loopback port: records
// every byte it receives with the time since the client connected, and sends
// whatever a test asks it to.
class FakeControlDevice : public QObject
{
    Q_OBJECT

public:
    struct Received
    {
        qint64 msSinceConnect;
        QByteArray bytes;
    };

    explicit FakeControlDevice(QObject *parent = nullptr);
    bool listen(const QHostAddress &address = QHostAddress::LocalHost, quint16 port = 0);
    quint16 port() const { return m_server.serverPort(); }
    void close() { m_server.close(); }

    bool hasClient() const
    {
        return m_client && m_client->state() == QAbstractSocket::ConnectedState;
    }
    void send(const QByteArray &bytes);
    void dropClient();
    // Everything received so far, concatenated.
    QByteArray receivedBytes() const;
    QList<Received> received() const { return m_received; }
    int connectionCount() const { return m_connections; }

signals:
    void clientConnected();
    void bytesReceived();

private:
    QTcpServer m_server;
    QPointer<QTcpSocket> m_client;
    QElapsedTimer m_sinceConnect;
    QList<Received> m_received;
    int m_connections = 0;
};
