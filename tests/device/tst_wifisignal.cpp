#include "device/linuxwifisource.h"
#include "device/netshwifisource.h"
#include "device/nullwifisource.h"
#include "device/wifiparsing.h"

#include "common/testsupport.h"

#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>

namespace {

const char *ProcHeader = "Inter-| sta-|   Quality        |   Discarded packets               | "
                         "Missed | WE\n face | tus | link level noise |  nwid  crypt   frag  "
                         "retry   misc | beacon | 22\n";

QString writeScript(const QTemporaryDir &dir, const QString &name, const QByteArray &body)
{
    const QString path = dir.filePath(name);
    TestSupport::writeFile(path, "#!/bin/sh\n" + body);
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return path;
}

} // namespace

class TestWifiSignal : public QObject
{
    Q_OBJECT

private slots:
    void netshOutput_data()
    {
        QTest::addColumn<QString>("output");
        QTest::addColumn<int>("percent");
        QTest::newRow("english")
            << "    Name                   : Wi-Fi\n    State                  : connected\n"
               "    Signal                 : 99%\n"
            << 99;
        QTest::newRow("german, first group wins") << "    Signal                 : 30%\n    "
                                                     "Signal                 : 80%\n"
                                                  << 30;
        QTest::newRow("no space after the colon") << "Signal:61%" << 61;
        QTest::newRow("zero") << "Signal : 0%" << 0;
        QTest::newRow("no wireless interface")
            << "There is no wireless interface on the system." << -1;
        QTest::newRow("too big for an int") << "Signal : 99999999999%" << 0;
        QTest::newRow("percent without colon") << "Signal 55%" << -1;
    }

    void netshOutput()
    {
        QFETCH(QString, output);
        QTEST(WifiParsing::percentFromNetsh(output), "percent");
    }

    void nmcliOutput_data()
    {
        QTest::addColumn<QString>("output");
        QTest::addColumn<int>("percent");
        QTest::newRow("in-use row second") << ":45\n*:78\n:30\n" << 78;
        QTest::newRow("blank in-use field") << " :45\n*:31\n" << 31;
        QTest::newRow("no row in use") << ":45\n:30\n" << -1;
        QTest::newRow("empty") << "" << -1;
        QTest::newRow("clamped") << "*:130\n" << 100;
        QTest::newRow("garbage signal, next in-use row") << "*:abc\n*:20\n" << 20;
    }

    void nmcliOutput()
    {
        QFETCH(QString, output);
        QTEST(WifiParsing::percentFromNmcli(output), "percent");
    }

    void procWireless_data()
    {
        QTest::addColumn<QString>("contents");
        QTest::addColumn<int>("percent");
        QTest::newRow("54 of 70")
            << QString::fromLatin1(ProcHeader) +
                   " wlan0: 0000   54.  -56.  -256        0      0      0      0      0        0\n"
            << 77;
        QTest::newRow("full") << QString::fromLatin1(ProcHeader) +
                                     "wlp2s0: 0000   70.  -40.  -256 0 0 0 0 0 0\n"
                              << 100;
        QTest::newRow("no interface") << QString::fromLatin1(ProcHeader) << -1;
        QTest::newRow("empty file") << QString() << -1;
        QTest::newRow("garbage quality")
            << QString::fromLatin1(ProcHeader) + "wlan0: 0000 xx. -40.\n"
            << -1;
    }

    void procWireless()
    {
        QFETCH(QString, contents);
        QTEST(WifiParsing::percentFromProcWireless(contents), "percent");
    }

    void deviceNetwork_data()
    {
        QTest::addColumn<QStringList>("addresses");
        QTest::addColumn<bool>("onDeviceNetwork");
        QTest::newRow("device network") << QStringList{"127.0.0.1", "192.168.168.23"} << true;
        QTest::newRow("other network") << QStringList{"192.168.1.5", "10.0.0.2"} << false;
        QTest::newRow("prefix without the dot") << QStringList{"192.168.16.8"} << false;
        QTest::newRow("none") << QStringList{} << false;
    }

    void deviceNetwork()
    {
        QFETCH(QStringList, addresses);
        QTEST(WifiParsing::isOnDeviceNetwork(addresses), "onDeviceNetwork");
    }

    // In the test namespace the device address sits on loopback.
    void thisMachineIsOnTheDeviceNetwork()
    {
        QVERIFY(WifiParsing::isOnDeviceNetwork(WifiParsing::machineAddresses()));
    }

    // nmcli first; when it is missing or NetworkManager does not answer, the kernel's figures.
    void linuxSource_data()
    {
        QTest::addColumn<QByteArray>("nmcli"); // its script, or empty: not installed
        QTest::addColumn<int>("percent");
        QTest::newRow("nmcli answers") << QByteArray("echo ':40'\necho '*:66'\n") << 66;
        QTest::newRow("nmcli missing") << QByteArray() << 30;
        QTest::newRow("NetworkManager not running") << QByteArray("exit 8\n") << 30;
    }

    void linuxSource()
    {
        QFETCH(QByteArray, nmcli);
        QTemporaryDir dir;
        const QString proc = dir.filePath("wireless");
        TestSupport::writeFile(proc, QByteArray(ProcHeader) + " wlan0: 0000   21.  -89.  -256 0\n");
        LinuxWifiSource source(
            nullptr, nmcli.isEmpty() ? dir.filePath("none") : writeScript(dir, "nmcli", nmcli),
            proc);
        QSignalSpy measured(&source, &WifiSignalSource::percentMeasured);
        for (int poll = 0; poll < 3; ++poll)
            source.requestPercent();
        QTRY_COMPARE_WITH_TIMEOUT(measured.size(), 3, 5000);
        QTEST(measured.at(0).at(0).toInt(), "percent");
        // No process object outlives its poll, started or not.
        QTRY_VERIFY(source.findChildren<QProcess *>().isEmpty());
    }

    void netshSource()
    {
        QTemporaryDir dir;
        NetshWifiSource source(nullptr, writeScript(dir, "netsh",
                                                    "[ \"$*\" = 'wlan show interfaces' ] && "
                                                    "echo '    Signal : 42%'\n"));
        QSignalSpy measured(&source, &WifiSignalSource::percentMeasured);
        source.requestPercent();
        QVERIFY(measured.wait(5000));
        QCOMPARE(measured.at(0).at(0).toInt(), 42);

        // A tool that cannot start reports nothing and leaves nothing behind.
        NetshWifiSource missing(nullptr, dir.filePath("none"));
        QSignalSpy none(&missing, &WifiSignalSource::percentMeasured);
        missing.requestPercent();
        QTRY_VERIFY(missing.findChildren<QProcess *>().isEmpty() &&
                    source.findChildren<QProcess *>().isEmpty());
        QVERIFY(none.isEmpty());
    }

    void nullSourceReportsNoSignalLater()
    {
        NullWifiSource source;
        QSignalSpy measured(&source, &WifiSignalSource::percentMeasured);
        source.requestPercent();
        QVERIFY(measured.isEmpty()); // never from inside the request
        QVERIFY(measured.wait(1000));
        QCOMPARE(measured.at(0).at(0).toInt(), -1);
    }
};

LUMAURAL_TEST_GUILESS_MAIN(TestWifiSignal)
#include "tst_wifisignal.moc"
