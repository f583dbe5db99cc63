#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QSize>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

// A small MJPEG HTTP server on a loopback port in the wire format of the
// common camera streamers. It serves numbered test frames, or misbehaves as a
// test asks: stalls, sends raw bytes, closes mid-frame.
class FakeMjpegServer : public QObject
{
    Q_OBJECT

public:
    enum class Mode { Stream, Stall };

    explicit FakeMjpegServer(QObject *parent = nullptr);
    bool listen(const QHostAddress &address = QHostAddress::LocalHost, quint16 port = 0);
    quint16 port() const { return m_server.serverPort(); }
    QString url() const;

    void setMode(Mode mode) { m_mode = mode; }
    void setFrameSize(const QSize &size) { m_frameSize = size; }
    void setInterval(int ms) { m_timer.setInterval(ms); }
    int requestCount() const { return m_requests; }
    QByteArray lastRequest() const { return m_lastRequest; }

    // Writes raw bytes to the current client.
    void sendRaw(const QByteArray &bytes);
    // Writes one multipart part around `jpeg`.
    void sendPart(const QByteArray &jpeg);
    void closeClient();

    static QByteArray testJpeg(const QSize &size, int number);
    static QByteArray part(const QByteArray &jpeg);

signals:
    void requestReceived();

private:
    QTcpServer m_server;
    QPointer<QTcpSocket> m_client;
    QTimer m_timer;
    Mode m_mode = Mode::Stream;
    QSize m_frameSize{320, 240};
    int m_requests = 0;
    int m_frameNumber = 0;
    QByteArray m_lastRequest;
};
