#include "device/networkhandler.h"

#include "device/logredaction.h"
#include "i18n/langmanager.h"

#include <QDebug>
#include <QJsonDocument>
#include <QNetworkProxy>
#include <QTcpSocket>
#include <QTimer>

namespace {

QString errorText(QAbstractSocket::SocketError error, const QTcpSocket *socket)
{
    switch (error) {
    case QAbstractSocket::ConnectionRefusedError:
        return uiText(QStringLiteral("network.error.connection_refused"),
                      QStringLiteral("连接被拒绝"));
    case QAbstractSocket::RemoteHostClosedError:
        return uiText(QStringLiteral("network.error.remote_closed"),
                      QStringLiteral("远程主机关闭连接"));
    case QAbstractSocket::HostNotFoundError:
        return uiText(QStringLiteral("network.error.host_not_found"), QStringLiteral("找不到主机"));
    case QAbstractSocket::SocketTimeoutError:
        return uiText(QStringLiteral("network.error.timeout"), QStringLiteral("连接超时"));
    case QAbstractSocket::NetworkError:
        return uiText(QStringLiteral("network.error.retrying"),
                      QStringLiteral("网络错误，正在重试..."));
    default:
        return socket->errorString();
    }
}

} // namespace

NetworkHandler::NetworkHandler(QObject *parent)
    : QObject(parent), m_socket(new QTcpSocket(this)), m_heartbeatTimer(new QTimer(this)),
      m_reconnectTimer(new QTimer(this)), m_configRequestTimer(new QTimer(this)),
      m_initialResolutionTimer(new QTimer(this)), m_stalledMessageTimer(new QTimer(this))
{
    // The device sits on its own WiFi; a system proxy can never reach it.
    m_socket->setProxy(QNetworkProxy(QNetworkProxy::NoProxy));
    // Named, so that the timing the device relies on can be checked from outside.
    m_heartbeatTimer->setObjectName(QStringLiteral("heartbeatTimer"));
    m_heartbeatTimer->setInterval(HeartbeatIntervalMs);
    m_reconnectTimer->setObjectName(QStringLiteral("reconnectTimer"));
    m_reconnectTimer->setSingleShot(true);
    m_configRequestTimer->setObjectName(QStringLiteral("configRequestTimer"));
    m_configRequestTimer->setSingleShot(true);
    m_configRequestTimer->setInterval(ConfigRequestDelayMs);
    m_initialResolutionTimer->setObjectName(QStringLiteral("initialResolutionTimer"));
    m_initialResolutionTimer->setSingleShot(true);
    m_initialResolutionTimer->setInterval(InitialResolutionDelayMs);
    m_stalledMessageTimer->setSingleShot(true);
    m_stalledMessageTimer->setInterval(StalledMessageMs);

    connect(m_socket, &QTcpSocket::connected, this, &NetworkHandler::onConnected);
    connect(m_socket, &QTcpSocket::disconnected, this, &NetworkHandler::onDisconnected);
    connect(m_socket, &QTcpSocket::readyRead, this, &NetworkHandler::onReadyRead);
    connect(m_socket, &QTcpSocket::errorOccurred, this, &NetworkHandler::onError);
    connect(m_heartbeatTimer, &QTimer::timeout, this, &NetworkHandler::onHeartbeatTimeout);
    connect(m_reconnectTimer, &QTimer::timeout, this, [this] { onReconnectTimeout(); });
    connect(m_configRequestTimer, &QTimer::timeout, this, &NetworkHandler::requestConfig);
    connect(m_initialResolutionTimer, &QTimer::timeout, this,
            [this] { setResolution(m_initialResolution); });
    connect(m_stalledMessageTimer, &QTimer::timeout, this,
            [this] { handleSplit(m_splitter.releaseStalled()); });
}

NetworkHandler::~NetworkHandler()
{
    m_autoReconnect = false;
    m_reconnectTimer->stop();
    m_heartbeatTimer->stop();
    // No slot may run while the handler is being torn down.
    disconnect(m_socket, nullptr, this, nullptr);
    if (m_socket->state() != QAbstractSocket::UnconnectedState)
        m_socket->abort();
}

void NetworkHandler::setInitialResolution(const QString &resolution)
{
    m_initialResolution =
        resolution.isEmpty() ? QString::fromLatin1(InitialResolution) : resolution;
}

bool NetworkHandler::isConnected() const
{
    return m_socket->state() == QAbstractSocket::ConnectedState;
}

QAbstractSocket::SocketState NetworkHandler::socketState() const
{
    return m_socket->state();
}

bool NetworkHandler::isReconnectPending() const
{
    return m_reconnectTimer->isActive();
}

QString NetworkHandler::streamUrl() const
{
    return QStringLiteral("http://%1:%2/?action=stream").arg(m_deviceHost).arg(m_streamPort);
}

void NetworkHandler::connectToDevice()
{
    const QAbstractSocket::SocketState state = m_socket->state();
    qDebug() << "connectToDevice 被调用，当前socket状态:" << state;
    if (state == QAbstractSocket::ConnectedState) {
        emit statusUpdated(
            uiText(QStringLiteral("network.already_connected"), QStringLiteral("已经连接到设备")));
        return;
    }
    if (state == QAbstractSocket::ConnectingState) {
        emit statusUpdated(
            uiText(QStringLiteral("network.connecting"), QStringLiteral("正在连接中...")));
        return;
    }
    if (state != QAbstractSocket::UnconnectedState) {
        qDebug() << "重置socket状态，当前状态:" << state;
        m_socket->abort();
    }
    m_autoReconnect = true;
    emit statusUpdated(
        uiText(QStringLiteral("network.connecting_to_device"), QStringLiteral("正在连接到设备 ")) +
        m_deviceHost + QStringLiteral("..."));
    qDebug().noquote() << "开始连接到设备:"
                       << m_deviceHost + QLatin1Char(':') + QString::number(m_controlPort);
    startConnect();
}

void NetworkHandler::startConnect()
{
    m_splitter.clear();
    m_stalledMessageTimer->stop();
    m_socket->connectToHost(m_deviceHost, quint16(m_controlPort), QIODevice::ReadWrite,
                            QAbstractSocket::AnyIPProtocol);
}

void NetworkHandler::onReconnectTimeout()
{
    if (!m_autoReconnect || m_socket->state() == QAbstractSocket::ConnectedState)
        return;
    qDebug() << "重连定时器触发，尝试连接...";
    if (m_socket->state() != QAbstractSocket::UnconnectedState)
        m_socket->abort();
    emit statusUpdated(
        uiText(QStringLiteral("network.reconnecting"), QStringLiteral("正在重新连接到设备...")));
    startConnect();
}

void NetworkHandler::disconnectFromDevice()
{
    m_autoReconnect = false;
    m_reconnectTimer->stop();
    m_heartbeatTimer->stop();
    const QAbstractSocket::SocketState state = m_socket->state();
    if (state == QAbstractSocket::ConnectedState) {
        m_socket->disconnectFromHost();
        if (m_socket->state() != QAbstractSocket::UnconnectedState)
            m_socket->waitForDisconnected(DisconnectWaitMs);
    } else if (state != QAbstractSocket::UnconnectedState) {
        // An attempt still under way would otherwise connect after we were told to stop.
        m_socket->abort();
    }
}

void NetworkHandler::onConnected()
{
    m_reconnectTimer->stop();
    m_splitter.clear();
    m_stalledMessageTimer->stop();
    emit statusUpdated(uiText(QStringLiteral("network.connected"), QStringLiteral("连接成功")));
    emit connected();
    qDebug() << "设备连接成功";
    m_heartbeatTimer->start();
    sendHeartbeat();
    m_configRequestTimer->start();
    m_initialResolutionTimer->start();
}

void NetworkHandler::onDisconnected()
{
    emit statusUpdated(
        uiText(QStringLiteral("network.disconnected"), QStringLiteral("已断开连接")));
    emit disconnected();
    m_heartbeatTimer->stop();
    // What an unfinished message would still release belongs to the lost connection.
    m_stalledMessageTimer->stop();
    m_splitter.clear();
    qDebug() << "设备已断开连接";
    if (m_autoReconnect) {
        qDebug() << "3秒后尝试重连...";
        m_reconnectTimer->start(ReconnectDelayMs);
    }
}

void NetworkHandler::onError(QAbstractSocket::SocketError socketError)
{
    const QString text = errorText(socketError, m_socket);
    qDebug() << "Socket错误:" << socketError << text;
    if (m_autoReconnect) {
        qDebug() << "已启用自动重连，将在3秒后重试";
        emit statusUpdated(uiText(QStringLiteral("network.attempting_connect"),
                                  QStringLiteral("正在尝试连接设备...")));
        if (!m_reconnectTimer->isActive())
            m_reconnectTimer->start(ReconnectDelayMs);
    } else {
        emit statusUpdated(
            uiText(QStringLiteral("network.error.prefix"), QStringLiteral("连接错误: ")) + text);
    }
}

void NetworkHandler::onHeartbeatTimeout()
{
    sendHeartbeat();
}

void NetworkHandler::sendHeartbeat()
{
    QJsonObject heartbeat;
    heartbeat.insert(QStringLiteral("command"), QStringLiteral("0"));
    heartbeat.insert(QStringLiteral("status"), QStringLiteral("0"));
    if (isConnected())
        writeMessage(heartbeat, "发送心跳包:");
}

void NetworkHandler::writeMessage(const QJsonObject &message, const char *logPrefix)
{
    const QByteArray bytes = QJsonDocument(message).toJson(QJsonDocument::Compact);
    m_socket->write(bytes);
    m_socket->flush();
    qDebug() << logPrefix << LogRedaction::redact(bytes);
}

void NetworkHandler::sendCommand(const QString &command, const QString &info)
{
    sendCommandWithInfo(command, info, true);
}

void NetworkHandler::sendCommand(const QString &command, const QJsonArray &info)
{
    // The array form (WiFi credentials) reports nothing beyond the log line.
    sendCommandWithInfo(command, info, false);
}

void NetworkHandler::sendCommandWithInfo(const QString &command, const QJsonValue &info,
                                         bool reportNotConnected)
{
    if (!isConnected()) {
        qDebug() << "未连接，无法发送命令";
        if (reportNotConnected)
            emit statusUpdated(uiText(QStringLiteral("network.error.not_connected"),
                                      QStringLiteral("未连接，无法发送命令")));
        return;
    }
    QJsonObject message;
    message.insert(QStringLiteral("command"), command);
    message.insert(QStringLiteral("info"), info);
    message.insert(QStringLiteral("status"), QStringLiteral("0"));
    writeMessage(message, "发送命令:");
}

void NetworkHandler::setResolution(const QString &resolution)
{
    qDebug() << "设置分辨率:" << resolution;
    sendCommand(QStringLiteral("12"), resolution);
}

void NetworkHandler::requestConfig()
{
    qDebug() << "获取设备配置";
    sendCommand(QStringLiteral("1"), QStringLiteral("GET_CONF"));
}

void NetworkHandler::rebootDevice()
{
    qDebug() << "重启设备";
    sendCommand(QStringLiteral("13"), QStringLiteral("REBOOT"));
}

void NetworkHandler::setWifiCredentials(const QString &ssid, const QString &password)
{
    qDebug() << "设置SSID:" << ssid << "密码:" << LogRedaction::Mask;
    QJsonObject credentials;
    credentials.insert(QStringLiteral("PASSWORD"), password);
    credentials.insert(QStringLiteral("SSID"), ssid);
    sendCommand(QStringLiteral("11"), QJsonArray{credentials});
}

void NetworkHandler::onReadyRead()
{
    const QByteArray bytes = m_socket->readAll();
    qDebug() << "收到数据:" << LogRedaction::redact(bytes, m_splitter.pending());
    emit dataReceived(bytes);
    handleSplit(m_splitter.feed(bytes));
    if (m_splitter.pendingBytes() > 0)
        m_stalledMessageTimer->start();
    else
        m_stalledMessageTimer->stop();
}

void NetworkHandler::handleSplit(const ControlMessageSplitter::Result &result)
{
    for (const QByteArray &dropped : result.dropped)
        qDebug() << "无效的JSON数据" << LogRedaction::redact(dropped.left(256)) << dropped.size()
                 << "bytes";
    if (result.overflowed)
        qDebug() << "无效的JSON数据: message longer than" << ControlMessageSplitter::MaxMessageBytes
                 << "bytes dropped";
    for (const QByteArray &message : result.messages)
        processMessage(message);
}

void NetworkHandler::processMessage(const QByteArray &message)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(message, &error);
    if (document.isNull() || !document.isObject()) {
        qDebug() << "无效的JSON数据";
        return;
    }
    const QJsonObject object = document.object();
    const QString command = object.value(QStringLiteral("command")).toString();
    const QJsonValue info = object.value(QStringLiteral("info"));

    if (command == QLatin1String("0")) {
        if (info.toString() == QLatin1String("OK")) {
            qDebug() << "心跳响应正常";
            emit heartbeatOk();
        }
    } else if (command == QLatin1String("4")) {
        if (info.toString() == QLatin1String("PHOTOGRAPH")) {
            qDebug() << "设备拍照";
            emit devicePhotograph();
            emit statusUpdated(
                uiText(QStringLiteral("network.device_captured"), QStringLiteral("设备拍照")));
        }
    } else if (command == QLatin1String("1")) {
        const QJsonArray entries = info.toArray();
        if (!entries.isEmpty()) {
            const QJsonObject config = entries.first().toObject();
            qDebug() << "收到设备配置:" << LogRedaction::redact(config);
            emit configReceived(config);
            emit statusUpdated(uiText(QStringLiteral("network.device_config"),
                                      QStringLiteral("设备配置 - 分辨率:%1, SSID:%2"))
                                   .arg(config.value(QStringLiteral("Resolution")).toString(),
                                        config.value(QStringLiteral("Ssid")).toString()));
        }
    } else if (command == QLatin1String("12")) {
        qDebug() << "分辨率设置成功:" << info.toString();
        emit statusUpdated(
            uiText(QStringLiteral("network.resolution_set"), QStringLiteral("分辨率设置为: ")) +
            info.toString());
        emit resolutionConfirmed(info.toString());
    }
}
