#include "simcontrolserver.h"

#include <QDebug>
#include <QJsonArray>
#include <QJsonDocument>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

namespace {

QJsonObject reply(const QString &command, const QJsonValue &info)
{
    return {{QStringLiteral("command"), command},
            {QStringLiteral("info"), info},
            {QStringLiteral("status"), QStringLiteral("0")}};
}

} // namespace

SimControlServer::SimControlServer(const Options &options, QObject *parent)
    : QObject(parent), m_options(options), m_server(new QTcpServer(this))
{
    connect(m_server, &QTcpServer::newConnection, this, &SimControlServer::onNewConnection);
}

bool SimControlServer::listen(const QHostAddress &address, quint16 port)
{
    if (!m_server->listen(address, port)) {
        qWarning().noquote() << "control: cannot listen on" << address.toString() << port << "-"
                             << m_server->errorString();
        return false;
    }
    qInfo().noquote() << "control: listening on"
                      << address.toString() + ':' + QString::number(port);
    return true;
}

void SimControlServer::onNewConnection()
{
    while (QTcpSocket *socket = m_server->nextPendingConnection()) {
        m_clients.append(socket);
        qInfo().noquote() << "control: client" << socket->peerAddress().toString() << "connected";
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { onReadyRead(socket); });
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
            qInfo() << "control: client disconnected";
            m_clients.removeAll(socket);
            m_splitters.remove(socket);
            m_deferred.remove(socket);
            socket->deleteLater();
        });
        if (m_options.dropAfterMs > 0)
            QTimer::singleShot(m_options.dropAfterMs, socket, [socket] {
                qInfo() << "control: dropping the connection";
                socket->abort();
            });
    }
}

void SimControlServer::onReadyRead(QTcpSocket *socket)
{
    const ControlMessageSplitter::Result result = m_splitters[socket].feed(socket->readAll());
    if (result.overflowed)
        qWarning() << "control: over 64 KiB without a complete message, dropped";
    for (const QByteArray &bytes : result.messages) {
        const QJsonDocument doc = QJsonDocument::fromJson(bytes);
        if (doc.isObject())
            handle(socket, doc.object());
    }
}

void SimControlServer::handle(QTcpSocket *socket, const QJsonObject &message)
{
    const QString command = message.value(QStringLiteral("command")).toString();
    const QString info = message.value(QStringLiteral("info")).toString();
    qInfo().noquote() << "control: <-" << QJsonDocument(message).toJson(QJsonDocument::Compact);

    if (command == QLatin1String("0")) {
        send(socket, reply(QStringLiteral("0"), QStringLiteral("OK")));
    } else if (command == QLatin1String("1") && info == QLatin1String("GET_CONF")) {
        const QJsonObject config{
            {QStringLiteral("Resolution"),
             QStringLiteral("%1*%2").arg(m_resolution.width()).arg(m_resolution.height())},
            {QStringLiteral("Ssid"), m_options.ssid},
            {QStringLiteral("Password"), m_options.password}};
        send(socket, reply(QStringLiteral("1"), QJsonArray{config}));
    } else if (command == QLatin1String("12")) {
        static const QRegularExpression form(QStringLiteral("^(\\d{3,4})\\*(\\d{3,4})$"));
        const auto match = form.match(info);
        const QSize size = match.hasMatch()
                               ? QSize(match.captured(1).toInt(), match.captured(2).toInt())
                               : QSize();
        if (size.width() >= 320 && size.height() >= 240 && size.width() <= 1920 &&
            size.height() <= 1080) {
            m_resolution = size;
            emit resolutionChanged(size);
        }
        send(socket, reply(QStringLiteral("12"), info));
    } else if (command == QLatin1String("11")) {
        send(socket, reply(QStringLiteral("11"), QStringLiteral("OK")));
    } else if (command == QLatin1String("13")) {
        send(socket, reply(QStringLiteral("13"), QStringLiteral("OK")));
        emit rebootRequested();
        QTimer::singleShot(100, this, &SimControlServer::dropConnections);
    }
}

void SimControlServer::pressCaptureButton()
{
    const QJsonObject photograph = reply(QStringLiteral("4"), QStringLiteral("PHOTOGRAPH"));
    if (m_options.coalesce) {
        // Held back so that it shares one write with the next reply.
        m_captureHeldBack = true;
        qInfo() << "control: capture press queued to ride with the next reply";
        return;
    }
    for (QTcpSocket *socket : std::as_const(m_clients))
        send(socket, photograph);
}

void SimControlServer::sendDamagedMessage()
{
    const QByteArray bytes = "{\"command\":\"4\",\"info\":\"PHOTO}";
    qInfo().noquote() << "control: -> (damaged)" << bytes;
    for (QTcpSocket *socket : std::as_const(m_clients))
        write(socket, bytes);
}

void SimControlServer::dropConnections()
{
    for (QTcpSocket *socket : std::as_const(m_clients))
        socket->abort();
}

void SimControlServer::send(QTcpSocket *socket, const QJsonObject &message)
{
    QByteArray bytes = QJsonDocument(message).toJson(QJsonDocument::Compact);
    if (m_captureHeldBack) {
        m_captureHeldBack = false;
        bytes += QJsonDocument(reply(QStringLiteral("4"), QStringLiteral("PHOTOGRAPH")))
                     .toJson(QJsonDocument::Compact);
    }
    qInfo().noquote() << "control: ->" << bytes;
    write(socket, bytes);
}

void SimControlServer::write(QTcpSocket *socket, const QByteArray &bytes)
{
    QByteArray &deferred = m_deferred[socket];
    if (!deferred.isEmpty()) {
        deferred += bytes; // keep the order behind the half still waiting
        return;
    }
    if (!m_options.splitWrites || bytes.size() < 2) {
        socket->write(bytes);
        socket->flush();
        return;
    }
    const qsizetype half = bytes.size() / 2;
    socket->write(bytes.left(half));
    socket->flush();
    deferred = bytes.mid(half);
    QTimer::singleShot(50, socket, [this, socket] {
        socket->write(m_deferred.take(socket));
        socket->flush();
    });
}
