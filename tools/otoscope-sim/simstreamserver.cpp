#include "simstreamserver.h"

#include <QDateTime>
#include <QDebug>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

namespace {

const QByteArray Boundary = "boundarydonotcross";
// A client that cannot keep up misses frames instead of queueing them without end.
constexpr qint64 MaxQueuedBytes = 4 * 1024 * 1024;
constexpr qsizetype MaxRequestBytes = 16 * 1024;

} // namespace

SimStreamServer::SimStreamServer(const Options &options, QObject *parent)
    : QObject(parent), m_options(options), m_server(new QTcpServer(this)),
      m_ticker(new QTimer(this))
{
    connect(m_server, &QTcpServer::newConnection, this, &SimStreamServer::onNewConnection);
    connect(m_ticker, &QTimer::timeout, this, &SimStreamServer::onTick);
    m_ticker->setTimerType(Qt::PreciseTimer);
    m_ticker->start(1000 / qBound(1, m_options.fps, 120));
}

bool SimStreamServer::listen(const QHostAddress &address, quint16 port)
{
    if (!m_server->listen(address, port)) {
        qWarning().noquote() << "stream: cannot listen on" << address.toString() << port << "-"
                             << m_server->errorString();
        return false;
    }
    qInfo().noquote() << "stream: serving http://" + address.toString() + ':' +
                             QString::number(port) + "/?action=stream";
    return true;
}

void SimStreamServer::onNewConnection()
{
    while (QTcpSocket *socket = m_server->nextPendingConnection()) {
        auto *client = new Client;
        client->socket = socket;
        m_clients.append(client);
        connect(socket, &QTcpSocket::readyRead, this, [this, client] { onReadyRead(client); });
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] { removeClient(socket); });
    }
}

void SimStreamServer::removeClient(QTcpSocket *socket)
{
    bool wasServed = false;
    for (int i = 0; i < m_clients.size(); ++i) {
        if (m_clients[i]->socket == socket) {
            wasServed = m_clients[i]->streaming;
            delete m_clients.takeAt(i);
            break;
        }
    }
    socket->deleteLater();
    if (!wasServed)
        return;
    for (Client *client : std::as_const(m_clients)) {
        if (client->waiting) {
            startStreaming(client); // the longest waiting one
            break;
        }
    }
}

void SimStreamServer::onReadyRead(Client *client)
{
    if (client->streaming || client->waiting) {
        client->socket->readAll();
        return;
    }
    client->request += client->socket->readAll();
    if (client->request.size() > MaxRequestBytes) {
        client->socket->abort();
        return;
    }
    const qsizetype end = client->request.indexOf("\r\n\r\n");
    if (end < 0)
        return;
    const QList<QByteArray> requestLine =
        client->request.left(client->request.indexOf("\r\n")).split(' ');
    const QByteArray target = requestLine.value(1);
    if (requestLine.value(0) != "GET" || !target.startsWith("/?action=stream")) {
        client->socket->write(
            "HTTP/1.0 404 Not Found\r\nContent-Type: text/plain\r\n\r\nnot found\n");
        client->socket->disconnectFromHost();
        return;
    }
    if (m_options.oneClient) {
        for (const Client *other : std::as_const(m_clients)) {
            if (other->streaming) {
                qInfo() << "stream: client waits, another one is being served";
                client->waiting = true;
                return;
            }
        }
    }
    startStreaming(client);
}

void SimStreamServer::startStreaming(Client *client)
{
    qInfo() << "stream: client started streaming";
    client->waiting = false;
    client->streaming = true;
    client->socket->write("HTTP/1.0 200 OK\r\n"
                          "Connection: close\r\n"
                          "Server: otoscope-sim\r\n"
                          "Cache-Control: no-store, no-cache, must-revalidate, max-age=0\r\n"
                          "Pragma: no-cache\r\n"
                          "Content-Type: multipart/x-mixed-replace;boundary=" +
                          Boundary + "\r\n\r\n");
}

void SimStreamServer::onTick()
{
    if (m_stalled || m_clients.isEmpty())
        return;
    const QDateTime now = QDateTime::currentDateTime();
    ++m_frameNumber;
    const bool blurred =
        m_options.blurAllButEvery > 0 && m_frameNumber % quint64(m_options.blurAllButEvery) != 0;
    const QByteArray jpeg =
        m_pattern.renderJpeg(m_resolution, m_frameNumber, now, m_options.jpegQuality, blurred);
    const qint64 msecs = now.toMSecsSinceEpoch();
    const QByteArray part =
        "--" + Boundary +
        "\r\nContent-Type: image/jpeg\r\nContent-Length: " + QByteArray::number(jpeg.size()) +
        "\r\nX-Timestamp: " + QByteArray::number(msecs / 1000) + '.' +
        QByteArray::number((msecs % 1000) * 1000).rightJustified(6, '0') + "\r\n\r\n" + jpeg +
        "\r\n";
    for (Client *client : std::as_const(m_clients)) {
        if (!client->streaming || client->socket->bytesToWrite() > MaxQueuedBytes)
            continue;
        if (m_options.stallAfterFrames > 0 &&
            client->framesSent >= quint64(m_options.stallAfterFrames))
            continue;
        client->socket->write(part);
        ++client->framesSent;
    }
}

void SimStreamServer::dropConnections()
{
    const auto clients = m_clients;
    for (Client *client : clients)
        client->socket->abort();
}
