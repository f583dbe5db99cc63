#include "device/networkhandler.h"

#include "common/testsupport.h"
#include "fakecontroldevice.h"

#include <QElapsedTimer>
#include <QSignalSpy>

using Reads = QList<QByteArray>;

namespace {

const QByteArray Photograph = "{\"command\":\"4\",\"info\":\"PHOTOGRAPH\",\"status\":\"0\"}";

void pointAt(NetworkHandler &handler, quint16 port)
{
    handler.setDeviceHost(QStringLiteral("127.0.0.1"));
    handler.setControlPort(port);
}

QStringList texts(const QSignalSpy &spy)
{
    QStringList all;
    for (const QList<QVariant> &args : spy)
        all << args.at(0).toString();
    return all;
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
    // The device's own address sits on loopback in the test namespace only.
    void connectsToTheDeviceAddressByDefault()
    {
        FakeControlDevice device(QHostAddress(QStringLiteral("192.168.168.1")), 8899);
        if (!device.isListening())
            QSKIP("port 8899 on the device address is taken");
        NetworkHandler handler;
        QCOMPARE(handler.streamUrl(), QStringLiteral("http://192.168.168.1:8888/?action=stream"));
        handler.connectToDevice();
        QTRY_VERIFY(device.hasClient());
    }

    void wireBytesAndTimingAfterConnect()
    {
        FakeControlDevice device;
        NetworkHandler handler;
        pointAt(handler, device.serverPort());
        handler.connectToDevice();
        QTRY_VERIFY_WITH_TIMEOUT(device.received.size() >= 3, 3000);
        const QList<FakeControlDevice::Received> expected{
            {0, "{\"command\":\"0\",\"status\":\"0\"}"},
            {500, "{\"command\":\"1\",\"info\":\"GET_CONF\",\"status\":\"0\"}"},
            {1000, "{\"command\":\"12\",\"info\":\"1280*720\",\"status\":\"0\"}"}};
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(device.received.at(i).bytes, expected.at(i).bytes);
            QVERIFY2(qAbs(device.received.at(i).ms - expected.at(i).ms) < 250,
                     qPrintable(QString::number(device.received.at(i).ms)));
        }
        handler.setWifiCredentials(QStringLiteral("ear-cam"), QStringLiteral("se\"cret"));
        handler.rebootDevice();
        QTRY_VERIFY(device.bytes().endsWith(
            "{\"command\":\"11\",\"info\":[{\"PASSWORD\":\"se\\\"cret\",\"SSID\":\"ear-cam\"}],"
            "\"status\":\"0\"}{\"command\":\"13\",\"info\":\"REBOOT\",\"status\":\"0\"}"));
    }

    void reconnectsEvery3sUntilTheDeviceAnswersAndAfterItDrops()
    {
        const quint16 port = closedPort();
        NetworkHandler handler;
        pointAt(handler, port);
        QSignalSpy status(&handler, &NetworkHandler::statusUpdated);
        QSignalSpy connected(&handler, &NetworkHandler::connected);
        QElapsedTimer clock;
        clock.start();
        handler.connectToDevice();
        QTRY_VERIFY(texts(status).contains(QStringLiteral("正在尝试连接设备...")));
        QVERIFY(handler.isReconnectPending());
        QTRY_VERIFY_WITH_TIMEOUT(texts(status).contains(QStringLiteral("正在重新连接到设备...")),
                                 5000);
        QVERIFY2(clock.elapsed() >= 2900 && clock.elapsed() < 4500,
                 qPrintable(QString::number(clock.elapsed())));

        FakeControlDevice device(QHostAddress::LocalHost, port);
        QVERIFY(device.isListening());
        QVERIFY(connected.wait(5000));
        QVERIFY(!handler.isReconnectPending());

        // It drops the connection: one new attempt 3 s later.
        QTRY_VERIFY(device.hasClient());
        clock.restart();
        device.client->abort();
        QVERIFY(connected.wait(5000));
        QVERIFY2(clock.elapsed() >= 2900, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(device.connections, 2);
    }

    void connectToDeviceWhileConnectingOrConnected()
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
    }

    void disconnectStopsReconnectionAndAttemptsUnderWay()
    {
        FakeControlDevice device;
        NetworkHandler handler;
        pointAt(handler, device.serverPort());
        handler.connectToDevice();
        QTRY_VERIFY(handler.isConnected());
        handler.disconnectFromDevice();
        QVERIFY(!handler.isConnected() && !handler.isReconnectPending());

        handler.connectToDevice();
        handler.disconnectFromDevice();
        QSignalSpy connected(&handler, &NetworkHandler::connected);
        QVERIFY(!connected.wait(300));
        QCOMPARE(handler.socketState(), QAbstractSocket::UnconnectedState);
    }

    void dispatch_data()
    {
        QTest::addColumn<Reads>("reads");
        QTest::addColumn<QStringList>("events");
        const QStringList photo{"photograph", QStringLiteral("设备拍照")};
        QTest::newRow("heartbeat OK")
            << Reads{"{\"command\":\"0\",\"info\":\"OK\"}"} << QStringList{"heartbeat"};
        QTest::newRow("heartbeat ok in lower case")
            << Reads{"{\"command\":\"0\",\"info\":\"ok\"}"} << QStringList{};
        QTest::newRow("photograph") << Reads{Photograph} << photo;
        QTest::newRow("command as a number")
            << Reads{"{\"command\":4,\"info\":\"PHOTOGRAPH\"}"} << QStringList{};
        QTest::newRow("config") << Reads{"{\"command\":\"1\",\"info\":[{\"Resolution\":\"640*480\","
                                         "\"Ssid\":\"Oto\",\"Password\":\"x\"}],\"status\":\"0\"}"}
                                << QStringList{
                                       "config 640*480",
                                       QStringLiteral("设备配置 - 分辨率:640*480, SSID:Oto")};
        QTest::newRow("config with empty array")
            << Reads{"{\"command\":\"1\",\"info\":[]}"} << QStringList{};
        QTest::newRow("resolution reply")
            << Reads{"{\"command\":\"12\",\"info\":\"1920*1080\",\"status\":\"0\"}"}
            << QStringList{QStringLiteral("分辨率设置为: 1920*1080")};
        QTest::newRow("unknown command")
            << Reads{"{\"command\":\"99\",\"info\":\"x\"}"} << QStringList{};
        QTest::newRow("two messages in one read")
            << Reads{"{\"command\":\"0\",\"info\":\"OK\"}" + Photograph}
            << QStringList{"heartbeat"} + photo;
        QTest::newRow("one message over two reads")
            << Reads{Photograph.left(20), Photograph.mid(20)} << photo;
        // Whatever came before, the device's capture button is never lost.
        QTest::newRow("garbage") << Reads{"\x01\x02garbage]]", Photograph} << photo;
        QTest::newRow("invalid object") << Reads{"{\"command\":,}", Photograph} << photo;
        QTest::newRow("deep nesting")
            << Reads{QByteArray(5000, '[') + QByteArray(5000, ']'), Photograph} << photo;
        QTest::newRow("oversized message")
            << Reads{"{\"info\":\"" + QByteArray(200000, 'x') + "\"}", Photograph} << photo;
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
            device.send(read);
            sent += read.size();
            // Each write reaches the handler before the next goes out.
            QTRY_COMPARE_WITH_TIMEOUT(received, sent, 5000);
        }
        QTEST(events, "events");
        QVERIFY(handler.isConnected()); // bad input never costs the connection
    }
};

LUMAURAL_TEST_GUILESS_MAIN(TestNetworkHandler)
#include "tst_networkhandler.moc"
