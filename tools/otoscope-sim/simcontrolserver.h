#pragma once

#include "device/controlmessagesplitter.h"

#include <QByteArray>
#include <QHostAddress>
#include <QJsonObject>
#include <QList>
#include <QObject>
#include <QSize>

class QTcpServer;
class QTcpSocket;

// The otoscope's control channel: compact JSON objects over TCP, both ways.
class SimControlServer : public QObject
{
    Q_OBJECT

public:
    struct Options
    {
        QString ssid = QStringLiteral("Otoscope-5A3C");
        QString password = QStringLiteral("12345678");
        bool coalesce = false;    // a capture message rides in the same write as the next reply
        bool splitWrites = false; // every message goes out in two writes, 50 ms apart
        int dropAfterMs = 0;      // close each control connection after this long (0: never)
    };

    SimControlServer(const Options &options, QObject *parent = nullptr);
    bool listen(const QHostAddress &address, quint16 port);

    // The resolution last set by the client, e.g. 1280x720.
    QSize resolution() const { return m_resolution; }

    // Sends the capture-button message to every connected client.
    void pressCaptureButton();
    // A capture message cut short inside its text, as a faulty firmware might send.
    void sendDamagedMessage();
    void dropConnections();

signals:
    void resolutionChanged(const QSize &size);
    void rebootRequested();

private:
    void onNewConnection();
    void onReadyRead(QTcpSocket *socket);
    void handle(QTcpSocket *socket, const QJsonObject &message);
    void send(QTcpSocket *socket, const QJsonObject &message);
    void write(QTcpSocket *socket, const QByteArray &bytes);

    Options m_options;
    QTcpServer *m_server;
    QList<QTcpSocket *> m_clients;
    QHash<QTcpSocket *, ControlMessageSplitter> m_splitters;
    QHash<QTcpSocket *, QByteArray> m_deferred; // second halves of split writes
    QSize m_resolution{1280, 720};
    bool m_captureHeldBack = false;
};
