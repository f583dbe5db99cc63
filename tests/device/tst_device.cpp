// The device link: cutting the control channel into messages, the handler's
// protocol against an in-process stand-in, and the WiFi signal sources.
#include "device/controlmessagesplitter.h"
#include "device/linuxwifisource.h"
#include "device/netshwifisource.h"
#include "device/networkhandler.h"
#include "device/wifiparsing.h"

#include "common/testsupport.h"
#include "fakecontroldevice.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>

using Messages = QList<QByteArray>;
using Parser = int (*)(const QString &);
Q_DECLARE_METATYPE(Parser)

namespace {

// A message in the device's form; `info` is a text, or JSON when it is an array.
QByteArray message(const QByteArray &command, const QByteArray &info)
{
    const QByteArray value = info.startsWith('[') ? info : '"' + info + '"';
    return "{\"command\":\"" + command + "\",\"info\":" + value + ",\"status\":\"0\"}";
}

const QByteArray Photograph = message("4", "PHOTOGRAPH");
const QByteArray Heartbeat = message("0", "OK");
// Brackets and an escaped quote inside texts do not end it; an escaped
// backslash does not hide the closing quote.
const QByteArray TrickyConfig =
    "{\"command\":\"1\",\"info\":[{\"Ssid\":\"a}b{\",\"Password\":\"q\\\"}]\\\\\"}],\"n\":-1.5e3}";

struct Outcome
{
    Messages messages;
    QByteArray dropped; // every dropped byte but blanks, in order
};

Outcome run(const Messages &reads)
{
    ControlMessageSplitter splitter;
    Outcome outcome;
    auto take = [&](const ControlMessageSplitter::Result &result) {
        outcome.messages += result.messages;
        for (const QByteArray &dropped : result.dropped)
            outcome.dropped +=
                QByteArray(dropped).replace(' ', "").replace('\r', "").replace('\n', "");
    };
    for (const QByteArray &read : reads)
        take(splitter.feed(read));
    return outcome;
}

const QByteArray Config =
    "[{\"Resolution\":\"1280*720\",\"Ssid\":\"Oto\",\"Password\":\"s3\\\"cr3t\"}]";

void pointAt(NetworkHandler &handler, quint16 port)
{
    handler.setDeviceHost(QStringLiteral("127.0.0.1"));
    handler.setControlPort(port);
}

const char *const ProcHeader = "Inter-| sta-|   Quality        |   Discarded packets\n"
                               " face | tus | link level noise |  nwid  crypt   frag\n";

} // namespace

class TestDevice : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    QString script(const QString &name, const QByteArray &body)
    {
        const QString path = m_dir.filePath(name);
        TestSupport::writeFile(path, "#!/bin/sh\n" + body);
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        return path;
    }

private slots:
    // `reads` as they arrive; messages come out at once, damaged ones cost only
    // themselves. `anyCut`: the same holds wherever TCP cuts their bytes in two.
    void messagesSurviveGarbage_data()
    {
        QTest::addColumn<Messages>("reads");
        QTest::addColumn<bool>("anyCut");
        QTest::addColumn<Messages>("expected");
        QTest::addColumn<QByteArray>("dropped");

        QTest::newRow("coalesced, split, garbage between")
            << Messages{"\r\n xx" + Heartbeat + "garbage}][1,{}" + TrickyConfig + "\n" +
                        Photograph + "{\"truncated\":"}
            << true << Messages{Heartbeat, "{}", TrickyConfig, Photograph}
            << QByteArray("xxgarbage}][1,");
        QTest::newRow("unclosed quote, truncated after a value")
            << Messages{"{\"command\":\"4\",\"info\":\"PHOTO}" + Photograph +
                        "{\"command\":\"12\",\"info\":\"x\"" + Heartbeat}
            << true << Messages{Photograph, Heartbeat}
            << QByteArray("{\"command\":\"4\",\"info\":\"PHOTO}{\"command\":\"12\",\"info\":\"x\"");
        QTest::newRow("garbage inside a message")
            << Messages{"{\"command\":\"4\",\"info\"\x01:\"PHOTOGRAPH\"}{{" + Heartbeat +
                        "{\"command\":\"0\",\"info\":\"O\xff"
                        "K\"}" +
                        Photograph}
            << true << Messages{Heartbeat, Photograph}
            << QByteArray("{\"command\":\"4\",\"info\"\x01:\"PHOTOGRAPH\"}{{"
                          "{\"command\":\"0\",\"info\":\"O\xff"
                          "K\"}");
        // Cut where a value was due, it is still a valid beginning: the next read
        // opening an object of its own ends it, and what it swallowed comes out.
        QTest::newRow("cut before a value, next message in the next read")
            << Messages{"{\"info\":[" + Heartbeat + ",{\"x\":", "{\"command\":\"1\",\"info\":",
                        Photograph}
            << false << Messages{Heartbeat, Photograph}
            << QByteArray("{\"info\":[,{\"x\":{\"command\":\"1\",\"info\":");
        QTest::newRow("endless text")
            << Messages{"{\"info\":\"" + QByteArray(ControlMessageSplitter::MaxMessageBytes, 'x'),
                        "xx", Photograph}
            << false << Messages{Photograph}
            << "{\"info\":\"" + QByteArray(ControlMessageSplitter::MaxMessageBytes + 2, 'x');
    }

    void messagesSurviveGarbage()
    {
        QFETCH(Messages, reads);
        QFETCH(bool, anyCut);
        QFETCH(Messages, expected);
        QFETCH(QByteArray, dropped);

        const QByteArray stream = reads.join();
        for (qsizetype cut = -1; cut <= (anyCut ? stream.size() : -1); ++cut) {
            const Outcome outcome =
                run(cut < 0 ? reads : Messages{stream.left(cut), stream.mid(cut)});
            QCOMPARE(outcome.messages, expected);
            QCOMPARE(outcome.dropped, dropped);
        }
    }

    // At the device's own address, which sits on loopback in the test namespace only.
    void wireBytesAndTimingAfterConnect()
    {
        FakeControlDevice device(QHostAddress(QStringLiteral("192.168.168.1")), 8899);
        QVERIFY(device.isListening());
        NetworkHandler handler;
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
        QTest::addColumn<Messages>("reads");
        QTest::addColumn<QStringList>("expected");
        const QStringList photo{"photograph", QStringLiteral("设备拍照")};
        QTest::newRow("heartbeat ok in lower case")
            << Messages{message("0", "ok")} << QStringList{};
        QTest::newRow("config")
            << Messages{message(
                   "1", "[{\"Resolution\":\"640*480\",\"Ssid\":\"Oto\",\"Password\":\"x\"}]")}
            << QStringList{"config 640*480", QStringLiteral("设备配置 - 分辨率:640*480, SSID:Oto")};
        QTest::newRow("config with empty array") << Messages{message("1", "[]")} << QStringList{};
        QTest::newRow("resolution reply") << Messages{message("12", "1920*1080")}
                                          << QStringList{QStringLiteral("分辨率设置为: 1920*1080")};
        QTest::newRow("two messages in one read")
            << Messages{Heartbeat + Photograph} << QStringList{"heartbeat"} + photo;
        // Whatever came before, the device's capture button is never lost.
        QTest::newRow("invalid object") << Messages{"{\"command\":,}", Photograph} << photo;
        QTest::newRow("damaged capture, then capture and heartbeat")
            << Messages{"{\"command\":\"4\",\"info\":\"PHOTO}", Photograph, message("0", "OK")}
            << photo + QStringList{"heartbeat"};
        // Cut where a value was due, it would swallow the capture: released once it stalls.
        QTest::newRow("cut before a value, capture in the same read")
            << Messages{"{\"command\":" + Photograph} << photo;
        QTest::newRow("oversized message")
            << Messages{message("1", QByteArray(200000, 'x')), Photograph} << photo;
    }

    void dispatch()
    {
        QFETCH(Messages, reads);
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

    void parsing_data()
    {
        QTest::addColumn<Parser>("parse");
        QTest::addColumn<QString>("output");
        QTest::addColumn<int>("percent");
        const Parser netsh = WifiParsing::percentFromNetsh;
        const Parser nmcli = WifiParsing::percentFromNmcli;
        const Parser proc = WifiParsing::percentFromProcWireless;
        const QString header = QString::fromLatin1(ProcHeader);
        QTest::newRow("netsh, english") << netsh << "  State : connected\n  Signal : 99%" << 99;
        QTest::newRow("netsh, first group wins") << netsh << "Signal : 30%\nSignal : 80%" << 30;
        QTest::newRow("netsh, no space after the colon") << netsh << "Signal:61%" << 61;
        QTest::newRow("netsh, no interface") << netsh << "There is no wireless interface." << -1;
        QTest::newRow("netsh, too big for an int") << netsh << "Signal : 99999999999%" << 0;
        QTest::newRow("netsh, percent without colon") << netsh << "Signal 55%" << -1;
        QTest::newRow("nmcli, in-use row second") << nmcli << ":45\n*:78\n:30" << 78;
        QTest::newRow("nmcli, no row in use") << nmcli << " :45\n:30" << -1;
        QTest::newRow("nmcli, clamped") << nmcli << "*:130" << 100;
        QTest::newRow("nmcli, garbage, next in-use row") << nmcli << "*:abc\n*:20" << 20;
        QTest::newRow("proc, 54 of 70") << proc << header + "wlan0: 0000   54.  -56.  -256" << 77;
        QTest::newRow("proc, no interface") << proc << header << -1;
        QTest::newRow("proc, garbage quality") << proc << header + "wlan0: 0000 xx. -40." << -1;
    }

    void parsing()
    {
        QFETCH(Parser, parse);
        QFETCH(QString, output);
        QTEST(parse(output), "percent");
    }

    void deviceNetwork()
    {
        QVERIFY(WifiParsing::isOnDeviceNetwork({"127.0.0.1", "192.168.168.23"}));
        QVERIFY(!WifiParsing::isOnDeviceNetwork({"192.168.1.5", "192.168.16.8", "10.0.0.2"}));
        // In the test namespace the device address sits on loopback.
        QVERIFY(WifiParsing::isOnDeviceNetwork(WifiParsing::machineAddresses()));
    }

    // nmcli first; when it is missing or NetworkManager does not answer, the kernel's figures.
    void linuxSource_data()
    {
        QTest::addColumn<QByteArray>("nmcli"); // its script, or empty: not installed
        QTest::addColumn<int>("percent");
        // Asked never to scan: a scan every 30 s can stall the live stream.
        QTest::newRow("nmcli answers")
            << QByteArray("[ \"$*\" = '-t -f IN-USE,SIGNAL device wifi list --rescan no' ] || "
                          "exit 2\necho ':40'\necho '*:66'\n")
            << 66;
        QTest::newRow("nmcli missing") << QByteArray() << 30;
        QTest::newRow("NetworkManager not running") << QByteArray("exit 8\n") << 30;
    }

    void linuxSource()
    {
        QFETCH(QByteArray, nmcli);
        const QString proc = m_dir.filePath("wireless");
        TestSupport::writeFile(proc, QByteArray(ProcHeader) + " wlan0: 0000   21.  -89.  -256 0\n");
        LinuxWifiSource source(
            nullptr, nmcli.isEmpty() ? m_dir.filePath("none") : script("nmcli", nmcli), proc);
        QSignalSpy measured(&source, &WifiSignalSource::percentMeasured);
        static QStringList logged;
        logged.clear();
        const QtMessageHandler previous = qInstallMessageHandler(
            [](QtMsgType, const QMessageLogContext &, const QString &text) { logged << text; });
        for (int poll = 0; poll < 3; ++poll)
            source.requestPercent();
        QTRY_COMPARE_WITH_TIMEOUT(measured.size(), 3, 5000);
        qInstallMessageHandler(previous);
        QTEST(measured.at(0).at(0).toInt(), "percent");
        QCOMPARE(logged.filter("[WiFi]").size(), 1); // the same signal three times: one line
        // No process object outlives its poll, started or not.
        QTRY_VERIFY(source.findChildren<QProcess *>().isEmpty());
    }

    void netshSource()
    {
        NetshWifiSource source(nullptr, script("netsh", "[ \"$*\" = 'wlan show interfaces' ] && "
                                                        "echo '    Signal : 42%'\n"));
        QSignalSpy measured(&source, &WifiSignalSource::percentMeasured);
        source.requestPercent();
        QVERIFY(measured.wait(5000));
        QCOMPARE(measured.at(0).at(0).toInt(), 42);

        // A tool that cannot start reports nothing and leaves nothing behind.
        NetshWifiSource missing(nullptr, m_dir.filePath("none"));
        QSignalSpy none(&missing, &WifiSignalSource::percentMeasured);
        missing.requestPercent();
        QTRY_VERIFY(missing.findChildren<QProcess *>().isEmpty() &&
                    source.findChildren<QProcess *>().isEmpty());
        QVERIFY(none.isEmpty());
    }
};

LUMAURAL_TEST_GUILESS_MAIN(TestDevice)
#include "tst_device.moc"
