// The simulator stands in for the device in the demo, so it must speak the
// device's wire format exactly.
#include "device/controlmessagesplitter.h"

#include "common/testsupport.h"

#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>

namespace {

quint16 freePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

} // namespace

class TestOtoscopeSim : public QObject
{
    Q_OBJECT

private:
    QProcess m_sim;
    quint16 m_controlPort = 0;
    quint16 m_streamPort = 0;
    QByteArray m_log;

    void startSim(const QStringList &extra = {})
    {
        m_controlPort = freePort();
        m_streamPort = freePort();
        m_sim.setProgram(QCoreApplication::applicationDirPath() + "/otoscope-sim");
        m_sim.setArguments(QStringList{"--host", "127.0.0.1", "--control-port",
                                       QString::number(m_controlPort), "--stream-port",
                                       QString::number(m_streamPort), "--fps", "20"} +
                           extra);
        m_sim.setProcessChannelMode(QProcess::MergedChannels);
        m_sim.start();
        QVERIFY(m_sim.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(log().contains("stream: serving"), 5000);
    }

    QByteArray log()
    {
        m_log += m_sim.readAll();
        return m_log;
    }

    // Reads control messages until `count` whole objects arrived.
    static QList<QJsonObject> readMessages(QTcpSocket &socket, int count)
    {
        ControlMessageSplitter splitter;
        QList<QJsonObject> messages;
        QDeadlineTimer deadline(5000);
        while (messages.size() < count && !deadline.hasExpired()) {
            socket.waitForReadyRead(100);
            for (const QByteArray &message : splitter.feed(socket.readAll()).messages)
                messages.append(QJsonDocument::fromJson(message).object());
        }
        return messages;
    }

    static QImage readOneFrame(quint16 port, QByteArray *headers = nullptr)
    {
        QTcpSocket http;
        http.connectToHost(QHostAddress::LocalHost, port);
        if (!http.waitForConnected(2000))
            return {};
        http.write("GET /?action=stream HTTP/1.1\r\nHost: x\r\n\r\n");
        QByteArray bytes;
        QDeadlineTimer deadline(5000);
        while (!deadline.hasExpired()) {
            http.waitForReadyRead(100);
            bytes += http.readAll();
            const qsizetype length = bytes.indexOf("Content-Length: ");
            const qsizetype body = bytes.indexOf("\r\n\r\n", length);
            if (length < 0 || body < 0)
                continue;
            const int size =
                bytes.mid(length + 16, bytes.indexOf("\r\n", length) - length - 16).toInt();
            if (bytes.size() < body + 4 + size + 2)
                continue;
            if (headers)
                *headers = bytes.left(body + 4);
            return QImage::fromData(bytes.mid(body + 4, size), "JPEG");
        }
        return {};
    }

private slots:
    void cleanup()
    {
        m_sim.kill();
        m_sim.waitForFinished();
        m_log.clear();
    }

    void answersTheControlProtocol()
    {
        startSim({"--split"});
        QTcpSocket socket;
        socket.connectToHost(QHostAddress::LocalHost, m_controlPort);
        QVERIFY(socket.waitForConnected(2000));
        socket.write(
            R"({"command":"0","status":"0"}{"command":"1","info":"GET_CONF","status":"0"})");
        socket.write(R"({"command":"12","info":"640*480","status":"0"})");
        const QList<QJsonObject> replies = readMessages(socket, 3);
        QCOMPARE(replies.size(), 3);
        QCOMPARE(QJsonDocument(replies[0]).toJson(QJsonDocument::Compact),
                 QByteArray(R"({"command":"0","info":"OK","status":"0"})"));
        const QJsonObject config = replies[1]["info"].toArray().at(0).toObject();
        QCOMPARE(config["Resolution"].toString(), QStringLiteral("1280*720"));
        QVERIFY(!config["Ssid"].toString().isEmpty());
        QVERIFY(config.contains("Password"));
        QCOMPARE(replies[2]["info"].toString(), QStringLiteral("640*480"));

        QByteArray headers;
        const QImage frame = readOneFrame(m_streamPort, &headers);
        QCOMPARE(frame.size(), QSize(640, 480));
        QVERIFY(headers.startsWith("HTTP/1.0 200 OK\r\n"));
        QVERIFY(headers.contains(
            "Content-Type: multipart/x-mixed-replace;boundary=boundarydonotcross\r\n"));
        QVERIFY(headers.contains(
            "\r\n\r\n--boundarydonotcross\r\nContent-Type: image/jpeg\r\nContent-Length: "));
        QVERIFY(QRegularExpression("X-Timestamp: \\d+\\.\\d{6}\r\n\r\n$")
                    .match(QString::fromLatin1(headers))
                    .hasMatch());
    }

    // Like many cheap cameras: a second viewer waits until the first has gone.
    void oneClientModeServesOneViewerAtATime()
    {
        startSim({"--one-client"});
        const auto request = [this](QTcpSocket &socket) {
            socket.connectToHost(QHostAddress::LocalHost, m_streamPort);
            socket.waitForConnected(2000);
            socket.write("GET /?action=stream HTTP/1.1\r\nHost: x\r\n\r\n");
        };
        QTcpSocket first;
        request(first);
        QTRY_VERIFY(first.bytesAvailable() > 0);
        QTcpSocket second;
        request(second);
        QTRY_VERIFY(log().contains("stream: client waits"));
        QTRY_VERIFY(first.bytesAvailable() > 10000); // frames go on to the first
        QCOMPARE(second.bytesAvailable(), 0);
        first.abort();
        QTRY_VERIFY(second.bytesAvailable() > 0);
        QVERIFY(second.readAll().startsWith("HTTP/1.0 200 OK\r\n"));
    }

    void outOfRangeResolutionIsIgnored()
    {
        startSim();
        QTcpSocket socket;
        socket.connectToHost(QHostAddress::LocalHost, m_controlPort);
        QVERIFY(socket.waitForConnected(2000));
        socket.write(R"({"command":"12","info":"4000*3000","status":"0"})");
        QCOMPARE(readMessages(socket, 1).size(), 1);
        QCOMPARE(readOneFrame(m_streamPort).size(), QSize(1280, 720));
    }
};

LUMAURAL_TEST_MAIN(TestOtoscopeSim)
#include "tst_otoscopesim.moc"
