#pragma once

#include "testpattern.h"

#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QSize>

class QTcpServer;
class QTcpSocket;
class QTimer;

// The otoscope's live picture in the wire format of the common mjpg-streamer
// server: one HTTP/1.0 response of multipart JPEG parts at "/?action=stream".
class SimStreamServer : public QObject
{
    Q_OBJECT

public:
    struct Options
    {
        int fps = 25;
        int stallAfterFrames = 0; // stop sending frames after this many per client (0: never)
        int jpegQuality = 85;
        // Blur every frame except each Nth (0: none), as a moving patient would.
        int blurAllButEvery = 0;
        // Serve one client at a time, as many cheap cameras do: a later
        // request gets no answer until the client being served has gone.
        bool oneClient = false;
    };

    SimStreamServer(const Options &options, QObject *parent = nullptr);
    bool listen(const QHostAddress &address, quint16 port);

    void setResolution(const QSize &size) { m_resolution = size; }
    // Pauses or resumes sending frames to everyone (connections stay open).
    void setStalled(bool stalled) { m_stalled = stalled; }
    void dropConnections();

private:
    struct Client
    {
        QTcpSocket *socket = nullptr;
        QByteArray request;
        bool streaming = false;
        bool waiting = false; // asked while another client was served (one-client mode)
        quint64 framesSent = 0;
    };

    void onNewConnection();
    void onReadyRead(Client *client);
    void startStreaming(Client *client);
    void onTick();
    void removeClient(QTcpSocket *socket);

    Options m_options;
    QTcpServer *m_server;
    QTimer *m_ticker;
    QList<Client *> m_clients;
    TestPattern m_pattern;
    QSize m_resolution{1280, 720};
    quint64 m_frameNumber = 0;
    bool m_stalled = false;
};
