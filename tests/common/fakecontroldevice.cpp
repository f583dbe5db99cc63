#include "fakecontroldevice.h"

FakeControlDevice::FakeControlDevice(QObject *parent) : QObject(parent)
{
    connect(&m_server, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket *socket = m_server.nextPendingConnection()) {
            if (m_client)
                m_client->deleteLater();
            m_client = socket;
            ++m_connections;
            m_received.clear();
            m_sinceConnect.start();
            connect(socket, &QTcpSocket::readyRead, this, [this, socket] {
                m_received.append({m_sinceConnect.elapsed(), socket->readAll()});
                emit bytesReceived();
            });
            emit clientConnected();
        }
    });
}

bool FakeControlDevice::listen(const QHostAddress &address, quint16 port)
{
    return m_server.listen(address, port);
}

void FakeControlDevice::send(const QByteArray &bytes)
{
    if (m_client) {
        m_client->write(bytes);
        m_client->flush();
    }
}

void FakeControlDevice::dropClient()
{
    if (m_client) {
        m_client->abort();
        m_client->deleteLater();
        m_client = nullptr;
    }
}

QByteArray FakeControlDevice::receivedBytes() const
{
    QByteArray all;
    for (const Received &r : m_received)
        all += r.bytes;
    return all;
}
