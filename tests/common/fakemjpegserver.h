#pragma once

#include <QBuffer>
#include <QImage>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

// A camera streamer in the common MJPEG wire format: answers a GET with a
// numbered frame every 40 ms (none while stalled) and writes whatever raw bytes
// a test gives it.
class FakeMjpegServer : public QTcpServer
{
    Q_OBJECT

public:
    FakeMjpegServer()
    {
        connect(&m_timer, &QTimer::timeout, this, [this] {
            if (!stalled && m_client)
                m_client->write(part(testJpeg(QSize(320, 240), ++m_frames)));
        });
        m_timer.start(40);
        connect(this, &QTcpServer::newConnection, this, [this] {
            QTcpSocket *socket = nextPendingConnection();
            connect(socket, &QTcpSocket::readyRead, this, [this, socket] {
                lastRequest = socket->readAll();
                m_client = socket;
                socket->write("HTTP/1.0 200 OK\r\nContent-Type: multipart/x-mixed-replace;"
                              "boundary=boundarydonotcross\r\n\r\n");
                emit requestReceived();
            });
        });
        listen(QHostAddress::LocalHost);
    }

    QString url() const
    {
        return QStringLiteral("http://127.0.0.1:%1/?action=stream").arg(serverPort());
    }
    void sendRaw(const QByteArray &bytes) { m_client->write(bytes); }

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
        image.save(&buffer, "JPEG", 95);
        return bytes;
    }

    bool stalled = false;
    QByteArray lastRequest;

signals:
    void requestReceived();

private:
    QPointer<QTcpSocket> m_client;
    QTimer m_timer;
    int m_frames = 0;
};
