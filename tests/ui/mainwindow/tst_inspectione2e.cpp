// The inspection from end to end: the real window and device link against
// the device simulator on 192.168.168.1, which this private namespace keeps
// on loopback. The simulator stands in for the device in the demo too, so it
// must speak the device's wire format exactly.
#include "device/controlmessagesplitter.h"
#include "device/networkhandler.h"
#include "records/orderdetailpage.h"
#include "records/savereportpage.h"
#include "records/store/recordstore.h"
#include "settings/usersettings.h"
#include "stream/focusmeasure.h"
#include "stream/streamdisplaywidget.h"
#include "ui/mainwindow/mainwindow.h"

#include "../../records/pagedriver.h"

#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QStackedWidget>
#include <QTcpServer>
#include <QTcpSocket>

#include <algorithm>
#include <limits>

namespace {

quint16 freePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

} // namespace

class TestInspectionE2E : public QObject
{
    Q_OBJECT

private:
    QProcess m_sim;
    std::unique_ptr<MainWindow> m_window;

    // The simulator on the device's own address and ports, then the window;
    // returns once the live picture shows.
    void startDeviceAndWindow(const QStringList &simOptions = {})
    {
        m_sim.setProgram(QCoreApplication::applicationDirPath() + "/otoscope-sim");
        m_sim.setArguments(QStringList{"--fps", "15"} + simOptions);
        m_sim.setProcessChannelMode(QProcess::MergedChannels);
        m_sim.start();
        QVERIFY(m_sim.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(m_sim.peek(1 << 16).contains("stream: serving"), 5000);

        m_window = std::make_unique<MainWindow>();
        m_window->show();
        QSignalSpy connected(m_window->networkHandler(), &NetworkHandler::connected);
        QVERIFY(connected.wait(5000));
        QElapsedTimer sinceConnect;
        sinceConnect.start();
        QTRY_VERIFY_WITH_TIMEOUT(!m_window->streamWidget()->latestFrame().isNull(), 8000);
        QVERIFY2(sinceConnect.elapsed() >= 2700,
                 qPrintable(QString::number(sinceConnect.elapsed())));
    }

    void pressDeviceButton(int photosBefore)
    {
        m_sim.write("photo\n");
        QTRY_VERIFY_WITH_TIMEOUT(
            m_window->leftPhotos().size() + m_window->rightPhotos().size() > photosBefore, 5000);
    }

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
        // Each case counts the photo files it makes.
        if (m_window)
            QDir(m_window->photoFolder()).removeRecursively();
        m_window.reset();
        m_sim.write("quit\n");
        if (!m_sim.waitForFinished(3000))
            m_sim.kill();
        m_sim.waitForFinished();
        m_log.clear();
    }

    // The simulator blurs three frames of every four; each capture must
    // save a sharp one, which the newest frame is only one time in four.
    void captureSavesTheSharpestRecentFrame()
    {
        startDeviceAndWindow({"--blur", "4"});
        QVERIFY(!QTest::currentTestFailed());
        // How sharp the stream's sharp and blurred frames are.
        double sharpest = 0;
        double blurriest = std::numeric_limits<double>::max();
        QTRY_VERIFY_WITH_TIMEOUT(m_window->streamWidget()->recentFrames().size() >= 6, 3000);
        for (const FrameRing::Frame &frame : m_window->streamWidget()->recentFrames().frames()) {
            const double score = FocusMeasure::score(frame.jpeg);
            sharpest = std::max(sharpest, score);
            blurriest = std::min(blurriest, score);
        }
        QVERIFY2(sharpest > 4 * blurriest,
                 qPrintable(QStringLiteral("%1 vs %2").arg(sharpest).arg(blurriest)));
        for (int i = 0; i < 5; ++i) {
            QTest::qWait(230); // not always in the same phase of the four frames
            m_window->capturePhoto();
            const double saved =
                FocusMeasure::score(TestSupport::readFile(m_window->leftPhotos().at(i).path));
            QVERIFY2(saved > sharpest / 3,
                     qPrintable(QStringLiteral("%1: %2 of %3").arg(i).arg(saved).arg(sharpest)));
        }
    }

    // Turned a quarter and frozen, both capture buttons save the held frame
    // turned in its own pixels, at full resolution; the turn is kept for the
    // next start.
    void turnedFrozenCaptureIsTheTurnedFrame()
    {
        startDeviceAndWindow();
        QVERIFY(!QTest::currentTestFailed());
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
        QTest::keyClick(m_window.get(), Qt::Key_R);
        QCOMPARE(m_window->viewOrientation().rotation(), 90);
        QTest::keyClick(m_window.get(), Qt::Key_F);
        QVERIFY(m_window->streamWidget()->isFrozen());
        const QImage frame = m_window->streamWidget()->latestFrame();
        QCOMPARE(frame.size(), QSize(1280, 720));

        QTest::mouseClick(child<QPushButton>(*m_window, "captureButton"), Qt::LeftButton);
        pressDeviceButton(1);
        const QImage expected = frame.transformed(QTransform().rotate(90));
        QCOMPARE(m_window->leftPhotos().size(), 2);
        for (int i = 0; i < 2; ++i) {
            const QImage saved =
                QImage(m_window->leftPhotos().at(i).path).convertToFormat(QImage::Format_RGB32);
            QCOMPARE(saved.size(), QSize(720, 1280));
            qint64 difference = 0;
            for (int y = 0; y < saved.height(); ++y) {
                const auto *a = reinterpret_cast<const QRgb *>(saved.constScanLine(y));
                const auto *b = reinterpret_cast<const QRgb *>(expected.constScanLine(y));
                for (int x = 0; x < saved.width(); ++x)
                    difference += qAbs(qRed(a[x]) - qRed(b[x])) +
                                  qAbs(qGreen(a[x]) - qGreen(b[x])) +
                                  qAbs(qBlue(a[x]) - qBlue(b[x]));
            }
            // A quality-95 JPEG of the same pixels differs by a level or two.
            const double mean = double(difference) / (3.0 * saved.width() * saved.height());
            QVERIFY2(mean < 2.0, qPrintable(QString::number(mean)));
        }
        QCOMPARE(UserSettings(UserSettings::standardFilePath()).viewRotation(), 90);
        QVERIFY(UserSettings::instance().setViewOrientation(0, false)); // the others start upright
    }

    void wholeInspectionWithAnOrder()
    {
        // Only this inspection's files are counted below, not earlier tests',
        // and the picture is not turned as an earlier test left it.
        QDir(MainWindow().photoFolder()).removeRecursively();
        QVERIFY(UserSettings::instance().setViewOrientation(0, false));
        Fitter fitter;
        fitter.id = 1;
        fitter.name = QStringLiteral("Ines");
        QVERIFY(saveFitters({fitter}));
        startDeviceAndWindow();
        QVERIFY(!QTest::currentTestFailed());
        MainWindow &window = *m_window;

        QTest::mouseClick(window.findChild<QLabel *>("orderText")->parentWidget(), Qt::LeftButton);
        QTest::mouseClick(child<QPushButton>(window, "newOrderButton"), Qt::LeftButton);
        QWidget &form = *window.saveReportPage();
        QTest::keyClicks(child<QLineEdit>(form, "orderNumberEdit"), "E2E-1");
        QTest::keyClicks(child<QLineEdit>(form, "nameEdit"), "Rosa");
        QTest::mouseClick(child<QPushButton>(form, "nextButton"), Qt::LeftButton);
        QCOMPARE(window.pageStack()->currentIndex(), 0);
        QVERIFY(window.hasInspectionContext());

        QTest::mouseClick(child<QPushButton>(window, "captureButton"), Qt::LeftButton);
        pressDeviceButton(1);
        QTest::mouseClick(child<QPushButton>(window, "rightEarButton"), Qt::LeftButton);
        pressDeviceButton(2);
        QCOMPARE(window.leftPhotos().size(), 2);
        QCOMPARE(window.rightPhotos().size(), 1);

        TestSupport::answerNextPrompt(TestSupport::Answer::Ok);
        QTest::mouseClick(child<QPushButton>(window, "saveReportButton"), Qt::LeftButton);
        QCOMPARE(window.pageStack()->currentIndex(), 4);

        const QList<Customer> orders = loadCustomers();
        QCOMPARE(orders.size(), 1);
        QCOMPARE(orders.first().orderNumber, QStringLiteral("E2E-1"));
        QCOMPARE(orders.first().fitterName, QStringLiteral("Ines"));
        // The camera's own pictures, filed under today in the photo folder.
        const QString day =
            window.photoFolder() + "/" + QDate::currentDate().toString("yyyy-MM-dd") + "/";
        QStringList expected;
        for (const EarPhotoList *ear : {&window.leftPhotos(), &window.rightPhotos()}) {
            for (int i = 0; i < ear->size(); ++i) {
                const QString path = ear->at(i).path;
                QVERIFY2(path.startsWith(day), qPrintable(path));
                expected.append(QFileInfo(path).completeBaseName() + "|" +
                                TestSupport::readFile(path).toBase64());
            }
        }
        QCOMPARE(StoredPhoto::entries(orders.first().photos), expected);
        QVERIFY(expected.last().contains("_R"));
        auto *detail = qobject_cast<OrderDetailPage *>(window.pageStack()->widget(4));
        QCOMPARE(detail->currentOrder().id, orders.first().id);
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

LUMAURAL_TEST_MAIN(TestInspectionE2E)
#include "tst_inspectione2e.moc"
