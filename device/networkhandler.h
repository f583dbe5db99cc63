#pragma once

#include "device/controlmessagesplitter.h"

#include <QAbstractSocket>
#include <QByteArray>
#include <QJsonArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QObject>
#include <QString>

class QTcpSocket;
class QTimer;

// The otoscope's TCP control channel: connects, keeps the heartbeat, reconnects
// after a loss, sends the device's few commands and turns its messages into
// signals (the device's own capture button above all).
class NetworkHandler : public QObject
{
    Q_OBJECT

public:
    static constexpr const char *DefaultHost = "192.168.168.1";
    static constexpr int DefaultControlPort = 8899;
    static constexpr int DefaultStreamPort = 8888;

    static constexpr int HeartbeatIntervalMs = 60000;
    static constexpr int ReconnectDelayMs = 3000;
    static constexpr int ConfigRequestDelayMs = 500;
    static constexpr int InitialResolutionDelayMs = 1000;
    static constexpr int DisconnectWaitMs = 1000;
    // A message still unfinished this long after its last bytes is not split
    // by TCP (its halves come within milliseconds) but damaged.
    static constexpr int StalledMessageMs = 1000;
    // Every connection sets the device to this unless told otherwise.
    static constexpr const char *InitialResolution = "1280*720";

    explicit NetworkHandler(QObject *parent = nullptr);
    ~NetworkHandler() override;

    void connectToDevice();
    void disconnectFromDevice();
    bool isConnected() const;
    QString streamUrl() const;

    void sendCommand(const QString &command, const QString &info);
    void sendCommand(const QString &command, const QJsonArray &info);
    void setResolution(const QString &resolution);
    void requestConfig();
    void rebootDevice();
    void setWifiCredentials(const QString &ssid, const QString &password);

    // The device address is fixed in the field; tests and the demo point the
    // handler at a local stand-in before connecting.
    void setDeviceHost(const QString &host) { m_deviceHost = host; }
    void setControlPort(int port) { m_controlPort = port; }
    void setStreamPort(int port) { m_streamPort = port; }
    // The resolution sent 1 s after every connection ("1920*1080"); the
    // device forgets its setting between connections. Empty: 1280*720.
    void setInitialResolution(const QString &resolution);
    QString initialResolution() const { return m_initialResolution; }
    QString deviceHost() const { return m_deviceHost; }
    int controlPort() const { return m_controlPort; }
    int streamPort() const { return m_streamPort; }

    bool isReconnectPending() const;
    QAbstractSocket::SocketState socketState() const;

signals:
    void statusUpdated(const QString &status);
    void connected();
    void disconnected();
    void dataReceived(const QByteArray &data);
    void devicePhotograph();
    void heartbeatOk();
    void configReceived(const QJsonObject &config);
    // The device answered a resolution command: it now runs at `resolution`
    // ("1280*720").
    void resolutionConfirmed(const QString &resolution);

private slots:
    void onConnected();
    void onDisconnected();
    void onReadyRead();
    void onError(QAbstractSocket::SocketError socketError);
    void onHeartbeatTimeout();

private:
    void onReconnectTimeout();
    void startConnect();
    void sendHeartbeat();
    void writeMessage(const QJsonObject &message, const char *logPrefix);
    void sendCommandWithInfo(const QString &command, const QJsonValue &info,
                             bool reportNotConnected);
    void handleSplit(const ControlMessageSplitter::Result &result);
    void processMessage(const QByteArray &message);

    QTcpSocket *m_socket = nullptr;
    QTimer *m_heartbeatTimer = nullptr;
    QTimer *m_reconnectTimer = nullptr;
    QTimer *m_configRequestTimer = nullptr;
    QTimer *m_initialResolutionTimer = nullptr;
    QTimer *m_stalledMessageTimer = nullptr;
    QString m_deviceHost = QString::fromLatin1(DefaultHost);
    int m_controlPort = DefaultControlPort;
    int m_streamPort = DefaultStreamPort;
    QString m_initialResolution = QString::fromLatin1(InitialResolution);
    bool m_autoReconnect = false;
    ControlMessageSplitter m_splitter;
};
