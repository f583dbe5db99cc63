#include "fakemjpegserver.h"

#include <QBuffer>
#include <QImage>
#include <QPainter>

FakeMjpegServer::FakeMjpegServer(QObject *parent) : QObject(parent)
{
    m_timer.setInterval(40);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        if (m_client && m_mode == Mode::Stream)
            sendPart(testJpeg(m_frameSize, ++m_frameNumber));
    });
    connect(&m_server, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket *socket = m_server.nextPendingConnection()) {
            connect(socket, &QTcpSocket::readyRead, this, [this, socket] {
                const QByteArray request = socket->readAll();
                if (!request.startsWith("GET "))
                    return;
                if (m_client && m_client != socket)
                    m_client->abort();
                m_client = socket;
                ++m_requests;
                m_lastRequest = request;
                socket->write("HTTP/1.0 200 OK\r\nContent-Type: "
                              "multipart/x-mixed-replace;boundary=boundarydonotcross\r\n\r\n");
                emit requestReceived();
            });
            connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        }
    });
    m_timer.start();
}

bool FakeMjpegServer::listen(const QHostAddress &address, quint16 port)
{
    return m_server.listen(address, port);
}

QString FakeMjpegServer::url() const
{
    return QStringLiteral("http://127.0.0.1:%1/?action=stream").arg(port());
}

void FakeMjpegServer::sendRaw(const QByteArray &bytes)
{
    if (m_client)
        m_client->write(bytes);
}

void FakeMjpegServer::sendPart(const QByteArray &jpeg)
{
    sendRaw(part(jpeg));
}

void FakeMjpegServer::closeClient()
{
    if (m_client) {
        m_client->disconnectFromHost();
        m_client = nullptr;
    }
}

QByteArray FakeMjpegServer::part(const QByteArray &jpeg)
{
    return "--boundarydonotcross\r\nContent-Type: image/jpeg\r\nContent-Length: " +
           QByteArray::number(jpeg.size()) + "\r\nX-Timestamp: 12.345678\r\n\r\n" + jpeg + "\r\n";
}

QByteArray FakeMjpegServer::testJpeg(const QSize &size, int number)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(QColor::fromHsv((number * 37) % 360, 200, 220));
    QPainter painter(&image);
    painter.setPen(Qt::black);
    painter.drawText(image.rect(), Qt::AlignCenter, QString::number(number));
    painter.end();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG", 95);
    return bytes;
}
