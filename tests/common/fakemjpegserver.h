#pragma once

#include <QBuffer>
#include <QImage>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

// An MJPEG HTTP server on a loopback port in the wire format of the common
// camera streamers: answers a GET with a numbered frame every 40 ms, or stays
// silent while stalled, and writes whatever raw bytes a test gives it.
class FakeMjpegServer : public QTcpServer
{
    Q_OBJECT

public:
    explicit FakeMjpegServer(quint16 port = 0)
    {
        connect(&m_timer, &QTimer::timeout, this, [this] {
            if (!stalled)
                sendRaw(part(testJpeg(frameSize, ++m_frames)));
        });
        m_timer.start(40);
        connect(this, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *socket = nextPendingConnection()) {
                connect(socket, &QTcpSocket::readyRead, this, [this, socket] {
                    const QByteArray request = socket->readAll();
                    if (!request.startsWith("GET "))
                        return;
                    lastRequest = request;
                    m_client = socket;
                    socket->write("HTTP/1.0 200 OK\r\nContent-Type: multipart/x-mixed-replace;"
                                  "boundary=boundarydonotcross\r\n\r\n");
                    emit requestReceived();
                });
            }
        });
        listen(QHostAddress::LocalHost, port);
    }

    QString url() const
    {
        return QStringLiteral("http://127.0.0.1:%1/?action=stream").arg(serverPort());
    }
    void sendRaw(const QByteArray &bytes)
    {
        if (m_client)
            m_client->write(bytes);
    }

    static QByteArray part(const QByteArray &jpeg)
    {
        return "--boundarydonotcross\r\nContent-Type: image/jpeg\r\nContent-Length: " +
               QByteArray::number(jpeg.size()) + "\r\nX-Timestamp: 12.345678\r\n\r\n" + jpeg +
               "\r\n";
    }
    // A frame whose colour tells its number.
    static QByteArray testJpeg(const QSize &size, int number)
    {
        QImage image(size, QImage::Format_RGB32);
        image.fill(QColor::fromHsv((number * 37) % 360, 200, 220));
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "JPEG", 95);
        return bytes;
    }

    bool stalled = false;
    QSize frameSize{320, 240};
    QByteArray lastRequest;

signals:
    void requestReceived();

private:
    QPointer<QTcpSocket> m_client;
    QTimer m_timer;
    int m_frames = 0;
};
