#include "device/networkhandler.h"

#include "common/testsupport.h"
#include "fakecontroldevice.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTimer>

using Reads = QList<QByteArray>;

namespace {

// A message in the device's form; `info` is a text, or JSON when it is an array.
QByteArray message(const QByteArray &command, const QByteArray &info)
{
    const QByteArray value = info.startsWith('[') ? info : '"' + info + '"';
    return "{\"command\":\"" + command + "\",\"info\":" + value + ",\"status\":\"0\"}";
}

const QByteArray Photograph = message("4", "PHOTOGRAPH");
const QByteArray Config =
    "[{\"Resolution\":\"1280*720\",\"Ssid\":\"Oto\",\"Password\":\"s3\\\"cr3t\"}]";

void pointAt(NetworkHandler &handler, quint16 port)
{
    handler.setDeviceHost(QStringLiteral("127.0.0.1"));
    handler.setControlPort(port);
}

} // namespace

class TestNetworkHandler : public QObject
{
    Q_OBJECT

private slots:
    // At the device's own address, which sits on loopback in the test namespace only.
    void wireBytesAndTimingAfterConnect()
    {
        FakeControlDevice device(QHostAddress(QStringLiteral("192.168.168.1")), 8899);
        QVERIFY(device.isListening());
        NetworkHandler handler;
        QCOMPARE(handler.streamUrl(), QStringLiteral("http://192.168.168.1:8888/?action=stream"));
        handler.connectToDevice();
        QTRY_VERIFY(handler.isConnected());
        // The device's protocol: heartbeat every 60 s, configuration after 0.5 s,
        // resolution after 1 s.
        QCOMPARE(TestSupport::armedMs(&handler, "heartbeatTimer"), 60000);
        QVERIFY(!handler.findChild<QTimer *>("heartbeatTimer")->isSingleShot());
        QTRY_VERIFY_WITH_TIMEOUT(device.received.size() >= 3, 3000);
        const QList<QPair<qint64, QByteArray>> expected{{0, "{\"command\":\"0\",\"status\":\"0\"}"},
                                                        {500, message("1", "GET_CONF")},
                                                        {1000, message("12", "1280*720")}};
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(device.received.at(i).second, expected.at(i).second);
            // Coarse timers may be 5 % off; 10 % tells a wrong delay.
            QVERIFY2(qAbs(device.received.at(i).first - expected.at(i).first) <=
                         qMax<qint64>(50, expected.at(i).first / 10),
                     qPrintable(QString::number(device.received.at(i).first)));
        }
        handler.setWifiCredentials(QStringLiteral("ear-cam"), QStringLiteral("se\"cret"));
        handler.rebootDevice();
        QTRY_VERIFY(device.bytes().endsWith(
            message("11", "[{\"PASSWORD\":\"se\\\"cret\",\"SSID\":\"ear-cam\"}]") +
            message("13", "REBOOT")));
    }

    void reconnectsEvery3sUntilTheDeviceAnswersAndAfterItDrops()
    {
        FakeControlDevice device;
        const quint16 port = device.serverPort();
        device.close(); // nothing listens: refused at once
        NetworkHandler handler;
        pointAt(handler, port);
        QSignalSpy status(&handler, &NetworkHandler::statusUpdated);
        QSignalSpy connected(&handler, &NetworkHandler::connected);
        QElapsedTimer clock;
        clock.start();
        handler.connectToDevice();
        QTRY_VERIFY(handler.isReconnectPending()); // refused at once
        QCOMPARE(TestSupport::armedMs(&handler, "reconnectTimer"), 3000);
        QTRY_VERIFY_WITH_TIMEOUT(status.size() >= 3, 5000);
        QCOMPARE(status.at(2).at(0).toString(), QStringLiteral("正在重新连接到设备..."));
        // Coarse timers may be 5 % off; 10 % tells a wrong delay.
        QVERIFY2(clock.elapsed() >= 2700 && clock.elapsed() <= 3300,
                 qPrintable(QString::number(clock.elapsed())));

        QVERIFY(device.listen(QHostAddress::LocalHost, port));
        QVERIFY(connected.wait(5000));

        // It drops the connection: one new attempt 3 s later.
        QTRY_VERIFY(device.hasClient());
        clock.restart();
        device.client->abort();
        QTRY_COMPARE(TestSupport::armedMs(&handler, "reconnectTimer"), 3000);
        QVERIFY(connected.wait(5000));
        QVERIFY2(clock.elapsed() >= 2700 && clock.elapsed() <= 3300,
                 qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(device.connections, 2);
    }

    void connectAndDisconnectInEveryState()
    {
        FakeControlDevice device;
        NetworkHandler handler;
        pointAt(handler, device.serverPort());
        QSignalSpy status(&handler, &NetworkHandler::statusUpdated);
        handler.connectToDevice();
        QCOMPARE(handler.socketState(), QAbstractSocket::ConnectingState);
        handler.connectToDevice();
        QCOMPARE(status.last().at(0).toString(), QStringLiteral("正在连接中..."));
        QTRY_VERIFY(handler.isConnected());
        handler.connectToDevice();
        QCOMPARE(status.last().at(0).toString(), QStringLiteral("已经连接到设备"));
        QCOMPARE(device.connections, 1);

        handler.disconnectFromDevice();
        QVERIFY(!handler.isConnected() && !handler.isReconnectPending());
        // An attempt under way is abandoned too.
        handler.connectToDevice();
        handler.disconnectFromDevice();
        QSignalSpy connected(&handler, &NetworkHandler::connected);
        QVERIFY(!connected.wait(300));
        QCOMPARE(handler.socketState(), QAbstractSocket::UnconnectedState);
    }

    void dispatch_data()
    {
        QTest::addColumn<Reads>("reads");
        QTest::addColumn<QStringList>("expected");
        const QStringList photo{"photograph", QStringLiteral("设备拍照")};
        QTest::newRow("heartbeat ok in lower case") << Reads{message("0", "ok")} << QStringList{};
        QTest::newRow("config")
            << Reads{message("1",
                             "[{\"Resolution\":\"640*480\",\"Ssid\":\"Oto\",\"Password\":\"x\"}]")}
            << QStringList{"config 640*480", QStringLiteral("设备配置 - 分辨率:640*480, SSID:Oto")};
        QTest::newRow("config with empty array") << Reads{message("1", "[]")} << QStringList{};
        QTest::newRow("resolution reply") << Reads{message("12", "1920*1080")}
                                          << QStringList{QStringLiteral("分辨率设置为: 1920*1080")};
        // Whatever came before, the device's capture button is never lost.
        QTest::newRow("invalid object") << Reads{"{\"command\":,}", Photograph} << photo;
        QTest::newRow("damaged capture, then capture and heartbeat")
            << Reads{"{\"command\":\"4\",\"info\":\"PHOTO}", Photograph, message("0", "OK")}
            << photo + QStringList{"heartbeat"};
        // Cut where a value was due, it would swallow the capture: released once it stalls.
        QTest::newRow("cut before a value, capture in the same read")
            << Reads{"{\"command\":" + Photograph} << photo;
        QTest::newRow("oversized message")
            << Reads{message("1", QByteArray(200000, 'x')), Photograph} << photo;
    }

    void dispatch()
    {
        QFETCH(Reads, reads);
        QStringList events;
        qsizetype received = 0;
        FakeControlDevice device;
        NetworkHandler handler;
        pointAt(handler, device.serverPort());
        handler.connectToDevice();
        QTRY_VERIFY(device.hasClient() && handler.isConnected());

        connect(&handler, &NetworkHandler::devicePhotograph, this, [&] { events << "photograph"; });
        connect(&handler, &NetworkHandler::heartbeatOk, this, [&] { events << "heartbeat"; });
        connect(&handler, &NetworkHandler::configReceived, this, [&](const QJsonObject &config) {
            events << "config " + config.value("Resolution").toString();
        });
        connect(&handler, &NetworkHandler::statusUpdated, this,
                [&](const QString &status) { events << status; });
        connect(&handler, &NetworkHandler::dataReceived, this,
                [&](const QByteArray &bytes) { received += bytes.size(); });
        qsizetype sent = 0;
        for (const QByteArray &read : reads) {
            device.client->write(read);
            sent += read.size();
            // Each write reaches the handler before the next goes out.
            QTRY_COMPARE_WITH_TIMEOUT(received, sent, 5000);
        }
        QFETCH(QStringList, expected);
        QTRY_COMPARE(events, expected);
        QVERIFY(handler.isConnected()); // bad input never costs the connection
    }
    // Logs go into support mails: the device's WiFi password never shows in
    // them, however TCP cuts the reply that carries it.
    void passwordsStayOutOfTheLog_data()
    {
        QTest::addColumn<int>("cut");
        const QByteArray config = message("1", Config);
        QTest::newRow("whole") << int(config.size());
        QTest::newRow("cut inside the key") << int(config.indexOf("word\":"));
        QTest::newRow("cut before the value") << int(config.indexOf("\"s3"));
        QTest::newRow("cut inside the value") << int(config.indexOf("cr3t"));
        QTest::newRow("cut inside an escape") << int(config.indexOf("\\\"") + 1);
    }

    void passwordsStayOutOfTheLog()
    {
        QFETCH(int, cut);
        const QByteArray config = message("1", Config);
        FakeControlDevice device;
        NetworkHandler handler;
        pointAt(handler, device.serverPort());
        handler.connectToDevice();
        QTRY_VERIFY(device.hasClient() && handler.isConnected());
        QSignalSpy received(&handler, &NetworkHandler::configReceived);
        QSignalSpy reads(&handler, &NetworkHandler::dataReceived);
        static QStringList logged;
        logged.clear();
        const QtMessageHandler previous = qInstallMessageHandler(
            [](QtMsgType, const QMessageLogContext &, const QString &text) { logged << text; });
        for (const QByteArray &read : {config.left(cut), config.mid(cut)}) {
            if (read.isEmpty())
                continue;
            device.client->write(read);
            QVERIFY(reads.wait(5000));
        }
        handler.setWifiCredentials(QStringLiteral("ear-cam"), QStringLiteral("s3\"cr3t"));
        QTRY_VERIFY(device.bytes().contains("cr3t"));
        qInstallMessageHandler(previous);

        QCOMPARE(received.size(), 1); // the device's answer itself is whole
        QCOMPARE(received.at(0).at(0).toJsonObject().value("Password").toString(),
                 QStringLiteral("s3\"cr3t"));
        const QString log = logged.join('\n');
        QVERIFY2(!log.contains("cr3t"), qPrintable(log));
        // The lines themselves stay, with the value masked.
        QCOMPARE(logged.filter(QStringLiteral("收到设备配置:")).size(), 1);
        QVERIFY(log.contains(QStringLiteral("密码: ***")));
        QVERIFY(
            logged.filter(QStringLiteral("发送命令:")).last().contains("\\\"PASSWORD\\\":\\\"***"));
    }
};

LUMAURAL_TEST_GUILESS_MAIN(TestNetworkHandler)
#include "tst_networkhandler.moc"
