// The window with its device link and live view, against in-process
// stand-ins for the device: connecting, the resolution, the live picture in
// full screen and what a capture says when there is no picture.
#include "device/networkhandler.h"
#include "device/wifisignalsource.h"
#include "stream/fullscreenviewer.h"
#include "stream/streamdisplaywidget.h"
#include "ui/common/transientnotice.h"
#include "ui/mainwindow/mainwindow.h"

#include "common/testsupport.h"
#include "fakecontroldevice.h"
#include "fakemjpegserver.h"

#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>

namespace {

// Answers 75 % and notes when it was asked.
class FixedWifiSource : public WifiSignalSource
{
public:
    QList<qint64> asked;
    QElapsedTimer clock;
    void requestPercent() override
    {
        asked << clock.elapsed();
        emit percentMeasured(75);
    }
};

QString streamText(MainWindow &window)
{
    return window.streamWidget()->findChild<QLabel *>()->text();
}

} // namespace

class TestMainWindowDevice : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<FakeControlDevice> m_device;
    std::unique_ptr<FakeMjpegServer> m_stream;
    QTemporaryDir m_photos;
    std::unique_ptr<MainWindow> m_window;

    // A window whose device link points at fresh in-process stand-ins.
    std::unique_ptr<MainWindow> makeWindow()
    {
        m_device = std::make_unique<FakeControlDevice>();
        m_stream = std::make_unique<FakeMjpegServer>();
        auto window = std::make_unique<MainWindow>();
        window->networkHandler()->setDeviceHost(QStringLiteral("127.0.0.1"));
        window->networkHandler()->setControlPort(m_device->serverPort());
        window->networkHandler()->setStreamPort(m_stream->serverPort());
        window->setPhotoFolder(m_photos.path());
        return window;
    }

    // The window shown and connected; with `streaming`, once the page shows
    // the live picture it started by itself.
    void openWindow(bool streaming = true)
    {
        m_window = makeWindow();
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
        QTRY_VERIFY_WITH_TIMEOUT(m_window->networkHandler()->isConnected(), 3000);
        if (streaming)
            QTRY_VERIFY_WITH_TIMEOUT(!m_window->streamWidget()->latestFrame().isNull(), 6000);
    }

    FullscreenViewer *liveViewer() const
    {
        return m_window->findChild<FullscreenViewer *>(QStringLiteral("liveFullscreenViewer"));
    }

    // Opens the full-screen live view by a double-click on the page's
    // picture; returns once it shows the picture.
    void openFullScreen()
    {
        QTest::mouseDClick(m_window->streamWidget(), Qt::LeftButton);
        FullscreenViewer *viewer = liveViewer();
        QVERIFY(viewer);
        QVERIFY(QTest::qWaitForWindowActive(viewer));
        QTRY_VERIFY(!viewer->liveView()->latestFrame().isNull());
    }

    int photoCount() const { return m_window->leftPhotos().size(); }

private slots:
    void cleanup() { m_window.reset(); }

    void autoConnectsAndStartsTheStream3sLater()
    {
        QElapsedTimer clock;
        clock.start();
        auto window = makeWindow();
        window->show();
        QSignalSpy connected(m_device.get(), &QTcpServer::newConnection);
        QVERIFY(connected.wait(3000));
        QVERIFY2(clock.elapsed() >= 450, qPrintable(QString::number(clock.elapsed())));

        clock.restart();
        QTRY_COMPARE(TestSupport::armedMs(window.get(), "streamStartTimer"), 3000);
        // Connected, no picture yet: the view must not claim there is no device.
        QCOMPARE(streamText(*window), QStringLiteral("正在连接视频流..."));
        QSignalSpy requested(m_stream.get(), &FakeMjpegServer::requestReceived);
        QVERIFY(requested.wait(6000));
        QVERIFY2(clock.elapsed() >= 2700 && clock.elapsed() <= 3300,
                 qPrintable(QString::number(clock.elapsed())));
        QTRY_VERIFY(!window->streamWidget()->currentFrame().isNull());

        // The device drops: the live view goes back to its idle text at once.
        m_device->client->abort();
        QTRY_VERIFY(!window->streamWidget()->isPlaying());
        QVERIFY(window->streamWidget()->currentFrame().isNull());
        QCOMPARE(streamText(*window), QStringLiteral("设备未连接"));
    }

    // Neither the delayed start nor a resolution change starts the stream without the device.
    void noStreamWithoutTheDevice()
    {
        auto window = makeWindow();
        QTRY_VERIFY_WITH_TIMEOUT(m_device->hasClient(), 3000);
        m_device->close(); // no reconnection either
        m_device->client->abort();
        QTRY_VERIFY(!window->networkHandler()->isConnected());
        QSignalSpy status(window->networkHandler(), &NetworkHandler::statusUpdated);
        window->changeResolution(QStringLiteral("1920*1080"), QStringLiteral("1920×1080"));
        QCOMPARE(status.last().at(0).toString(), QStringLiteral("未连接，无法发送命令"));
        QSignalSpy requested(m_stream.get(), &FakeMjpegServer::requestReceived);
        QVERIFY(!requested.wait(3600));
    }

    // Stop the live view, tell the device, restart once the camera had 2.5 s to switch.
    void changeResolutionWhileStreamingThenClose()
    {
        auto window = makeWindow();
        QSignalSpy requested(m_stream.get(), &FakeMjpegServer::requestReceived);
        QVERIFY(requested.wait(5000));
        requested.clear();

        QElapsedTimer clock;
        clock.start();
        window->changeResolution(QStringLiteral("640*480"), QStringLiteral("640×480"));
        QCOMPARE(TestSupport::armedMs(window.get(), "resolutionRestartTimer"), 2500);
        QCOMPARE(window->streamWidget()->state(), StreamDisplayWidget::Stopped);
        QTRY_VERIFY(m_device->bytes().endsWith(
            "{\"command\":\"12\",\"info\":\"640*480\",\"status\":\"0\"}"));
        QVERIFY(requested.wait(4000));
        QVERIFY2(clock.elapsed() >= 2250 && clock.elapsed() <= 2750,
                 qPrintable(QString::number(clock.elapsed())));
        QVERIFY(window->streamWidget()->isPlaying());

        // Destroyed while streaming: the device link closes at once.
        clock.restart();
        window.reset();
        QVERIFY(clock.elapsed() < 1500);
        QTRY_VERIFY(!m_device->hasClient());
    }

    // Every connection sets the device to 1280*720: the settings page shows
    // what the device answered, not the choice it has forgotten.
    void settingsShowTheResolutionTheDeviceRuns()
    {
        auto window = makeWindow();
        QTRY_VERIFY_WITH_TIMEOUT(m_device->hasClient(), 3000);
        auto *combo = window->findChild<QComboBox *>("resolutionCombo");
        QCOMPARE(combo->currentText(), QStringLiteral("1920×1080"));
        m_device->client->write(R"({"command":"12","info":"1280*720","status":"0"})");
        QTRY_COMPARE(combo->currentText(), QStringLiteral("1280×720"));
        m_device->client->write(R"({"command":"12","info":"high","status":"0"})");
        QTest::qWait(100);
        QCOMPARE(combo->currentText(), QStringLiteral("1280×720"));
    }

    // The device forgets its resolution with every connection: the user's
    // choice goes back to it each time, in place of 1280*720, so a WiFi blip
    // does not halve the photos' pixels. A choice restored at start-up counts
    // from the first connection.
    void chosenResolutionOutlivesReconnections()
    {
        auto window = makeWindow();
        QCOMPARE(window->chosenResolution(), QString());
        window->setChosenResolution(QStringLiteral("640*480"));
        auto *combo = window->findChild<QComboBox *>("resolutionCombo");
        QCOMPARE(combo->currentText(), QStringLiteral("640×480"));
        const auto resolutionCommands = [this] {
            QStringList sent;
            for (const auto &read : m_device->received) {
                if (read.second.startsWith(R"({"command":"12")"))
                    sent << QString::fromLatin1(read.second);
            }
            return sent;
        };
        QTRY_COMPARE_WITH_TIMEOUT(resolutionCommands(),
                                  QStringList{R"({"command":"12","info":"640*480","status":"0"})"},
                                  3000);

        combo->setCurrentIndex(combo->findText(QStringLiteral("1920×1080")));
        QCOMPARE(window->chosenResolution(), QStringLiteral("1920*1080"));
        m_device->client->abort();
        QTRY_COMPARE_WITH_TIMEOUT(m_device->connections, 2, 5000);
        QTRY_COMPARE_WITH_TIMEOUT(
            resolutionCommands(),
            QStringList{R"({"command":"12","info":"1920*1080","status":"0"})"}, 3000);
        QCOMPARE(combo->currentText(), QStringLiteral("1920×1080"));
    }

    // Polled 0.8 s after start, then every 3 s.
    void wifiIndicatorFollowsTheSource()
    {
        MainWindow window;
        auto *source = new FixedWifiSource;
        source->clock.start();
        window.setWifiSignalSource(source);
        QTRY_COMPARE_WITH_TIMEOUT(source->asked.size(), 2, 5000);
        QVERIFY2(source->asked.at(0) >= 720 && source->asked.at(0) <= 880,
                 qPrintable(QString::number(source->asked.at(0))));
        QVERIFY2(source->asked.at(1) >= 2700 && source->asked.at(1) <= 3300,
                 qPrintable(QString::number(source->asked.at(1))));
        // The device address is on this namespace's loopback.
        QCOMPARE(window.findChild<QLabel *>(QStringLiteral("wifiSignalLabel"))->text(),
                 QStringLiteral("信号：强"));
    }

    void noFullScreenWithoutTheDevice()
    {
        openWindow(false);
        QVERIFY(!QTest::currentTestFailed());
        m_device->close();
        m_device->client->abort();
        QTRY_VERIFY(!m_window->networkHandler()->isConnected());
        // A picture from elsewhere is showing, but there is no device to look into.
        m_window->streamWidget()->startStream(m_stream->url());
        QTRY_VERIFY(!m_window->streamWidget()->latestFrame().isNull());
        QTest::mouseDClick(m_window->streamWidget(), Qt::LeftButton);
        QVERIFY(!liveViewer());
    }

    // The full screen shows the page's own stream, so a camera that serves
    // one client at a time gives both the picture; closing it, however, lets
    // go of that stream and leaves the page streaming.
    void fullScreenSharesThePageStream_data()
    {
        QTest::addColumn<QString>("closeBy");
        QTest::newRow("exit button") << "exit";
        QTest::newRow("escape") << "escape";
        QTest::newRow("double-click inside") << "double-click";
    }

    void fullScreenSharesThePageStream()
    {
        openWindow();
        QVERIFY(!QTest::currentTestFailed());
        QSignalSpy requests(m_stream.get(), &FakeMjpegServer::requestReceived);
        openFullScreen();
        QVERIFY(!QTest::currentTestFailed());
        QPointer<FullscreenViewer> viewer = liveViewer();
        StreamDisplayWidget *view = viewer->liveView();
        // Its status texts are light on the black screen.
        auto *status = view->findChild<QLabel *>();
        status->ensurePolished();
        QVERIFY(status->palette().color(QPalette::WindowText).lightness() > 200);
        const int shown = view->decodedFrameCount();
        QTRY_VERIFY(view->decodedFrameCount() > shown + 2); // keeps moving

        // Space captures the picture on the screen, and a small copy of it
        // shows in a corner for a moment.
        QVERIFY(!viewer->captureConfirmation());
        QTest::keyClick(viewer, Qt::Key_Space);
        QCOMPARE(photoCount(), 1);
        QCOMPARE(m_window->leftPhotos().at(0).fullImage().size(), QSize(320, 240));
        QVERIFY(viewer->captureConfirmation()->isVisible());
        QVERIFY(viewer->rect().contains(viewer->captureConfirmation()->geometry()));
        QTRY_VERIFY_WITH_TIMEOUT(!viewer->captureConfirmation()->isVisible(), 3000);

        QFETCH(QString, closeBy);
        if (closeBy == "exit")
            viewer->exitButton()->click();
        else if (closeBy == "escape")
            QTest::keyClick(viewer, Qt::Key_Escape);
        else
            QTest::mouseDClick(view, Qt::LeftButton);
        QTRY_VERIFY(!viewer);
        QCOMPARE(requests.size(), 0);
        QVERIFY(m_window->streamWidget()->isPlaying());
        const int page = m_window->streamWidget()->decodedFrameCount();
        QTRY_VERIFY(m_window->streamWidget()->decodedFrameCount() > page + 2);
        QCOMPARE(requests.size(), 0);
    }

    // A capture that finds no picture tells the user where they are looking,
    // whichever way it was started, and adds nothing.
    void captureWithoutAPictureSaysSo_data()
    {
        QTest::addColumn<QString>("trigger");
        QTest::newRow("capture button") << "button";
        QTest::newRow("device button") << "device";
        QTest::newRow("space in full screen") << "fullscreen";
    }

    void captureWithoutAPictureSaysSo()
    {
        QFETCH(QString, trigger);
        openWindow();
        QVERIFY(!QTest::currentTestFailed());
        if (trigger == "fullscreen")
            openFullScreen();
        QVERIFY(!QTest::currentTestFailed());
        FullscreenViewer *viewer = liveViewer();
        QWidget *host = viewer ? static_cast<QWidget *>(viewer)
                               : m_window->findChild<QWidget *>(QStringLiteral("centerPanel"));
        StreamDisplayWidget *view = viewer ? viewer->liveView() : m_window->streamWidget();

        m_stream->stalled = true; // the picture goes after the frame timeout
        QTRY_VERIFY_WITH_TIMEOUT(view->currentFrame().isNull(), 5000);
        QVERIFY(m_window->networkHandler()->isConnected());
        if (trigger == "button")
            QTest::mouseClick(m_window->findChild<QPushButton *>("captureButton"), Qt::LeftButton);
        else if (trigger == "device")
            m_device->client->write(R"({"command":"4","info":"PHOTOGRAPH","status":"0"})");
        else
            QTest::keyClick(viewer, Qt::Key_Space);

        TransientNotice *notice = nullptr;
        QTRY_VERIFY((notice = host->findChild<TransientNotice *>()) && notice->isVisible());
        QCOMPARE(notice->text(), QStringLiteral("未能拍照：当前没有实时画面"));
        QCOMPARE(photoCount(), 0);
    }
};

LUMAURAL_TEST_MAIN(TestMainWindowDevice)
#include "tst_mainwindowdevice.moc"
