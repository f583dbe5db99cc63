#include "device/networkhandler.h"

#include "common/testsupport.h"
#include "fakecontroldevice.h"

#include <QElapsedTimer>
#include <QSignalSpy>

namespace {

const QByteArray Heartbeat = "{\"command\":\"0\",\"status\":\"0\"}";
const QByteArray GetConf = "{\"command\":\"1\",\"info\":\"GET_CONF\",\"status\":\"0\"}";
const QByteArray Resolution720 = "{\"command\":\"12\",\"info\":\"1280*720\",\"status\":\"0\"}";
const QByteArray Photograph = "{\"command\":\"4\",\"info\":\"PHOTOGRAPH\",\"status\":\"0\"}";

void pointAt(NetworkHandler &handler, const FakeControlDevice &device)
{
    handler.setDeviceHost(QStringLiteral("127.0.0.1"));
    handler.setControlPort(device.port());
}

bool containsStatus(const QSignalSpy &spy, const QString &text)
{
    for (const QList<QVariant> &args : spy) {
        if (args.at(0).toString() == text)
            return true;
    }
    return false;
}

// A loopback port on which nothing listens: connecting is refused at once.
quint16 closedPort()
{
    QTcpServer server;
    server.listen(QHostAddress::LocalHost);
    return server.serverPort();
}

} // namespace

class TestNetworkHandler : public QObject
{
    Q_OBJECT

private slots:
    void fixedEndpointAndTimers()
    {
        NetworkHandler handler;
        QCOMPARE(handler.deviceHost(), QStringLiteral("192.168.168.1"));
        QCOMPARE(handler.controlPort(), 8899);
        QCOMPARE(handler.streamUrl(), QStringLiteral("http://192.168.168.1:8888/?action=stream"));
        QCOMPARE(NetworkHandler::HeartbeatIntervalMs, 60000);
        QCOMPARE(NetworkHandler::ReconnectDelayMs, 3000);
        QCOMPARE(NetworkHandler::ConfigRequestDelayMs, 500);
        QCOMPARE(NetworkHandler::InitialResolutionDelayMs, 1000);
        QVERIFY(!handler.isConnected());
        QVERIFY(!handler.isAutoReconnectEnabled());
    }

    // The default address is the device's own, reachable in the test namespace only.
    void connectsToTheDeviceAddressByDefault()
    {
        FakeControlDevice device;
        if (!device.listen(QHostAddress(QStringLiteral("192.168.168.1")), 8899))
            QSKIP("port 8899 on the device address is taken");
        NetworkHandler handler;
        QSignalSpy connected(&handler, &NetworkHandler::connected);
        handler.connectToDevice();
        QVERIFY(connected.wait(2000));
    }

    void wireBytesAndTimingAfterConnect()
    {
        FakeControlDevice device;
        QVERIFY(device.listen());
        NetworkHandler handler;
        pointAt(handler, device);
        QSignalSpy connected(&handler, &NetworkHandler::connected);
        handler.connectToDevice();
        QVERIFY(connected.wait(2000));
        QTRY_VERIFY_WITH_TIMEOUT(device.received().size() >= 3, 3000);

        const QList<FakeControlDevice::Received> received = device.received();
        QCOMPARE(received.at(0).bytes, Heartbeat);
        QVERIFY(received.at(0).msSinceConnect < 300);
        QCOMPARE(received.at(1).bytes, GetConf);
        QVERIFY2(qAbs(received.at(1).msSinceConnect - 500) < 250,
                 qPrintable(QString::number(received.at(1).msSinceConnect)));
        QCOMPARE(received.at(2).bytes, Resolution720);
        QVERIFY2(qAbs(received.at(2).msSinceConnect - 1000) < 250,
                 qPrintable(QString::number(received.at(2).msSinceConnect)));
    }

    void reconnectsEvery3sUntilTheDeviceAnswersAndAfterItDrops()
    {
        NetworkHandler handler;
        handler.setDeviceHost(QStringLiteral("127.0.0.1"));
        const quint16 port = closedPort();
        handler.setControlPort(port);
        QSignalSpy status(&handler, &NetworkHandler::statusUpdated);
        QSignalSpy connected(&handler, &NetworkHandler::connected);
        const QString reconnecting = QStringLiteral("正在重新连接到设备...");

        QElapsedTimer clock;
        clock.start();
        handler.connectToDevice();
        QTRY_VERIFY_WITH_TIMEOUT(containsStatus(status, QStringLiteral("正在尝试连接设备...")),
                                 2000);
        QVERIFY(handler.isReconnectPending());
        QTRY_VERIFY_WITH_TIMEOUT(containsStatus(status, reconnecting), 5000);
        const qint64 firstRetry = clock.elapsed();
        QVERIFY2(firstRetry >= 2900 && firstRetry < 4500, qPrintable(QString::number(firstRetry)));

        // The device appears: the next attempt connects.
        FakeControlDevice device;
        QVERIFY(device.listen(QHostAddress::LocalHost, port));
        QVERIFY(connected.wait(5000));
        QVERIFY(!handler.isReconnectPending());

        // It drops the connection: exactly one new attempt 3 s later.
        QSignalSpy disconnected(&handler, &NetworkHandler::disconnected);
        QTRY_VERIFY(device.hasClient());
        clock.restart();
        device.dropClient();
        QVERIFY(disconnected.wait(2000));
        QVERIFY(handler.isReconnectPending());
        QVERIFY(connected.wait(5000));
        QVERIFY2(clock.elapsed() >= 2900, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(device.connectionCount(), 2);
    }

    void connectToDeviceWhileConnectingOrConnected()
    {
        FakeControlDevice device;
        QVERIFY(device.listen());
        NetworkHandler handler;
        pointAt(handler, device);
        QSignalSpy status(&handler, &NetworkHandler::statusUpdated);
        handler.connectToDevice();
        QCOMPARE(handler.socketState(), QAbstractSocket::ConnectingState);
        handler.connectToDevice();
        QCOMPARE(status.last().at(0).toString(), QStringLiteral("正在连接中..."));
        QTRY_VERIFY(handler.isConnected());
        handler.connectToDevice();
        QCOMPARE(status.last().at(0).toString(), QStringLiteral("已经连接到设备"));
        QCOMPARE(device.connectionCount(), 1);
    }

    void disconnectStopsEverything()
    {
        FakeControlDevice device;
        QVERIFY(device.listen());
        NetworkHandler handler;
        pointAt(handler, device);
        handler.connectToDevice();
        QTRY_VERIFY(handler.isConnected());
        handler.disconnectFromDevice();
        QVERIFY(!handler.isConnected());
        QVERIFY(!handler.isAutoReconnectEnabled());
        QVERIFY(!handler.isReconnectPending());

        // An attempt under way is abandoned too.
        handler.connectToDevice();
        handler.disconnectFromDevice();
        QSignalSpy connected(&handler, &NetworkHandler::connected);
        QVERIFY(!connected.wait(300));
        QCOMPARE(handler.socketState(), QAbstractSocket::UnconnectedState);
    }

    void commandsWhileNotConnectedAreNotSent()
    {
        NetworkHandler handler;
        QSignalSpy status(&handler, &NetworkHandler::statusUpdated);
        handler.setResolution(QStringLiteral("640*480"));
        QCOMPARE(status.size(), 1);
        QCOMPARE(status.at(0).at(0).toString(), QStringLiteral("未连接，无法发送命令"));
        handler.setWifiCredentials(QStringLiteral("s"), QStringLiteral("p"));
        QCOMPARE(status.size(), 1); // the array form only logs
    }

    void outgoingCommands()
    {
        FakeControlDevice device;
        QVERIFY(device.listen());
        NetworkHandler handler;
        pointAt(handler, device);
        handler.connectToDevice();
        QTRY_VERIFY(handler.isConnected());
        QTRY_COMPARE(device.received().size(), 1); // the heartbeat
        handler.setWifiCredentials(QStringLiteral("ear-cam"), QStringLiteral("se\"cret"));
        handler.rebootDevice();
        QTRY_VERIFY(device.receivedBytes().contains("REBOOT"));
        QVERIFY(device.receivedBytes().contains(
            "{\"command\":\"11\",\"info\":[{\"PASSWORD\":\"se\\\"cret\",\"SSID\":\"ear-cam\"}],"
            "\"status\":\"0\"}{\"command\":\"13\",\"info\":\"REBOOT\",\"status\":\"0\"}"));
    }

    void dispatch_data()
    {
        QTest::addColumn<QList<QByteArray>>("reads");
        QTest::addColumn<int>("photographs");
        QTest::addColumn<int>("heartbeats");
        QTest::addColumn<QString>("config");
        QTest::addColumn<QString>("lastStatus");

        const QString none;
        QTest::newRow("heartbeat OK")
            << QList<QByteArray>{"{\"command\":\"0\",\"info\":\"OK\"}"} << 0 << 1 << none << none;
        QTest::newRow("heartbeat ok lower case")
            << QList<QByteArray>{"{\"command\":\"0\",\"info\":\"ok\"}"} << 0 << 0 << none << none;
        QTest::newRow("photograph")
            << QList<QByteArray>{Photograph} << 1 << 0 << none << QStringLiteral("设备拍照");
        QTest::newRow("command as a number")
            << QList<QByteArray>{"{\"command\":4,\"info\":\"PHOTOGRAPH\"}"} << 0 << 0 << none
            << none;
        QTest::newRow("config")
            << QList<QByteArray>{"{\"command\":\"1\",\"info\":[{\"Resolution\":\"640*480\","
                                 "\"Ssid\":\"Oto\",\"Password\":\"x\"}],\"status\":\"0\"}"}
            << 0 << 0 << QStringLiteral("640*480")
            << QStringLiteral("设备配置 - 分辨率:640*480, SSID:Oto");
        QTest::newRow("config with empty array")
            << QList<QByteArray>{"{\"command\":\"1\",\"info\":[]}"} << 0 << 0 << none << none;
        QTest::newRow("resolution reply")
            << QList<QByteArray>{"{\"command\":\"12\",\"info\":\"1920*1080\",\"status\":\"0\"}"}
            << 0 << 0 << none << QStringLiteral("分辨率设置为: 1920*1080");
        QTest::newRow("unknown command")
            << QList<QByteArray>{"{\"command\":\"99\",\"info\":\"x\"}"} << 0 << 0 << none << none;
        QTest::newRow("two messages in one read")
            << QList<QByteArray>{"{\"command\":\"0\",\"info\":\"OK\"}" + Photograph} << 1 << 1
            << none << QStringLiteral("设备拍照");
        QTest::newRow("one message over two reads")
            << QList<QByteArray>{Photograph.left(20), Photograph.mid(20)} << 1 << 0 << none
            << QStringLiteral("设备拍照");
        QTest::newRow("garbage, then a message")
            << QList<QByteArray>{"\x01\x02garbage]]", Photograph} << 1 << 0 << none
            << QStringLiteral("设备拍照");
        QTest::newRow("invalid object, then a message")
            << QList<QByteArray>{"{\"command\":,}", Photograph} << 1 << 0 << none
            << QStringLiteral("设备拍照");
        QTest::newRow("deep nesting")
            << QList<QByteArray>{QByteArray(5000, '[') + QByteArray(5000, ']'), Photograph} << 1
            << 0 << none << QStringLiteral("设备拍照");
        QTest::newRow("huge message")
            << QList<QByteArray>{"{\"info\":\"" + QByteArray(200000, 'x') + "\"}", Photograph} << 1
            << 0 << none << QStringLiteral("设备拍照");
    }

    void dispatch()
    {
        QFETCH(QList<QByteArray>, reads);
        FakeControlDevice device;
        QVERIFY(device.listen());
        NetworkHandler handler;
        pointAt(handler, device);
        handler.connectToDevice();
        QTRY_VERIFY(device.hasClient() && handler.isConnected());

        QSignalSpy photographs(&handler, &NetworkHandler::devicePhotograph);
        QSignalSpy heartbeats(&handler, &NetworkHandler::heartbeatOk);
        QSignalSpy configs(&handler, &NetworkHandler::configReceived);
        QSignalSpy status(&handler, &NetworkHandler::statusUpdated);
        QSignalSpy data(&handler, &NetworkHandler::dataReceived);
        qsizetype sent = 0;
        for (const QByteArray &read : reads) {
            device.send(read);
            sent += read.size();
            // Each write is its own read at the handler before the next goes out.
            QTRY_VERIFY_WITH_TIMEOUT(
                [&] {
                    qsizetype total = 0;
                    for (const auto &args : data)
                        total += args.at(0).toByteArray().size();
                    return total == sent;
                }(),
                5000);
        }
        // An end marker proves everything before it was handled.
        device.send("{\"command\":\"12\",\"info\":\"end\"}");
        QTRY_VERIFY(!status.isEmpty() &&
                    status.last().at(0).toString() == QStringLiteral("分辨率设置为: end"));

        QTEST(int(photographs.size()), "photographs");
        QTEST(int(heartbeats.size()), "heartbeats");
        QFETCH(QString, config);
        QCOMPARE(configs.isEmpty()
                     ? QString()
                     : configs.at(0).at(0).toJsonObject().value("Resolution").toString(),
                 config);
        QFETCH(QString, lastStatus);
        const QString beforeEnd =
            status.size() >= 2 ? status.at(status.size() - 2).at(0).toString() : QString();
        QCOMPARE(beforeEnd, lastStatus);
        QVERIFY(handler.isConnected()); // bad input never costs the connection
    }
};

LUMAURAL_TEST_GUILESS_MAIN(TestNetworkHandler)
#include "tst_networkhandler.moc"
