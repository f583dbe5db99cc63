// The live picture in full screen and what a capture says when there is no
// picture, with in-process stand-ins for the device.
#include "device/networkhandler.h"
#include "stream/fullscreenviewer.h"
#include "stream/streamdisplaywidget.h"
#include "ui/common/transientnotice.h"
#include "ui/mainwindow/mainwindow.h"

#include "common/testsupport.h"
#include "fakecontroldevice.h"
#include "fakemjpegserver.h"

#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>

class TestMainWindowLiveView : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<FakeControlDevice> m_device;
    std::unique_ptr<FakeMjpegServer> m_stream;
    QTemporaryDir m_photos;
    std::unique_ptr<MainWindow> m_window;

    // A window on the stand-ins, connected; with `streaming`, once the page
    // shows the live picture it started by itself.
    void openWindow(bool streaming = true)
    {
        m_device = std::make_unique<FakeControlDevice>();
        m_stream = std::make_unique<FakeMjpegServer>();
        m_window = std::make_unique<MainWindow>();
        m_window->networkHandler()->setDeviceHost(QStringLiteral("127.0.0.1"));
        m_window->networkHandler()->setControlPort(m_device->serverPort());
        m_window->networkHandler()->setStreamPort(m_stream->serverPort());
        m_window->setPhotoFolder(m_photos.path());
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

LUMAURAL_TEST_MAIN(TestMainWindowLiveView)
#include "tst_mainwindowliveview.moc"
