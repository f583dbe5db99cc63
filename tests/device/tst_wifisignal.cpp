#include "device/linuxwifisource.h"
#include "device/netshwifisource.h"
#include "device/wifiparsing.h"

#include "common/testsupport.h"

#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>

using Parser = int (*)(const QString &);
Q_DECLARE_METATYPE(Parser)

static const char *const ProcHeader = "Inter-| sta-|   Quality        |   Discarded packets\n"
                                      " face | tus | link level noise |  nwid  crypt   frag\n";

class TestWifiSignal : public QObject
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

LUMAURAL_TEST_GUILESS_MAIN(TestWifiSignal)
#include "tst_wifisignal.moc"
