#include "device/networkhandler.h"
#include "device/wifisignalsource.h"
#include "stream/streamdisplaywidget.h"
#include "ui/mainwindow/mainwindow.h"

#include "i18n/langmanager.h"

#include "common/testsupport.h"
#include "fakecontroldevice.h"
#include "fakemjpegserver.h"

#include <QElapsedTimer>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QStackedWidget>

namespace {

class FixedWifiSource : public WifiSignalSource
{
public:
    explicit FixedWifiSource(int percent) : m_percent(percent) {}
    void requestPercent() override
    {
        ++requests;
        emit percentMeasured(m_percent);
    }
    int requests = 0;

private:
    int m_percent;
};

QString shownText(StreamDisplayWidget *widget)
{
    return widget->findChild<QLabel *>()->text();
}

} // namespace

class TestMainWindowDevice : public QObject
{
    Q_OBJECT

private:
    FakeControlDevice *m_device = nullptr;
    FakeMjpegServer *m_stream = nullptr;

    // A window whose device link points at the in-process stand-ins.
    MainWindow *makeWindow()
    {
        auto *window = new MainWindow;
        window->networkHandler()->setDeviceHost(QStringLiteral("127.0.0.1"));
        window->networkHandler()->setControlPort(m_device->port());
        window->networkHandler()->setStreamPort(m_stream->port());
        return window;
    }

private slots:
    void init()
    {
        m_device = new FakeControlDevice(this);
        QVERIFY(m_device->listen());
        m_stream = new FakeMjpegServer(this);
        QVERIFY(m_stream->listen());
    }

    void cleanup()
    {
        delete m_device;
        delete m_stream;
    }

    void liveViewSitsInTheStreamContainer()
    {
        MainWindow window;
        auto *container = window.findChild<QFrame *>(QStringLiteral("streamContainer"));
        QVERIFY(container);
        QCOMPARE(window.streamWidget()->parentWidget(), container);
        auto *stack = qobject_cast<QStackedWidget *>(container->parentWidget());
        QVERIFY(stack);
        QCOMPARE(stack->indexOf(container), 0);
        QCOMPARE(window.streamWidget()->minimumSize(), QSize(320, 240));
        QVERIFY(container->styleSheet().contains("#e3e3e3"));
        QCOMPARE(window.networkHandler()->parent(), &window);
    }

    void autoConnectsAndStartsTheStream3sLater()
    {
        std::unique_ptr<MainWindow> window(makeWindow());
        window->show();
        QSignalSpy connected(m_device, &FakeControlDevice::clientConnected);
        QElapsedTimer clock;
        clock.start();
        QVERIFY(connected.wait(3000));
        QVERIFY2(clock.elapsed() >= 400, qPrintable(QString::number(clock.elapsed())));
        auto *container = window->findChild<QFrame *>(QStringLiteral("streamContainer"));
        QTRY_VERIFY(container->styleSheet().contains("#e6e6e6"));

        clock.restart();
        QSignalSpy requested(m_stream, &FakeMjpegServer::requestReceived);
        QVERIFY(requested.wait(6000));
        QVERIFY2(clock.elapsed() >= 2700, qPrintable(QString::number(clock.elapsed())));
        QTRY_VERIFY(!window->streamWidget()->currentFrame().isNull());

        // The device drops: the live view goes back to its idle text at once.
        m_device->dropClient();
        QTRY_COMPARE(shownText(window->streamWidget()), QStringLiteral("设备未连接"));
        QVERIFY(!window->streamWidget()->isPlaying());
        QTRY_VERIFY(container->styleSheet().contains("#e3e3e3"));
    }

    void deviceDroppingWithin3sGetsNoStream()
    {
        std::unique_ptr<MainWindow> window(makeWindow());
        QSignalSpy connected(m_device, &FakeControlDevice::clientConnected);
        QVERIFY(connected.wait(3000));
        m_device->close(); // no reconnection either
        m_device->dropClient();
        QSignalSpy requested(m_stream, &FakeMjpegServer::requestReceived);
        QVERIFY(!requested.wait(3600));
        QVERIFY(!window->streamWidget()->isPlaying());
    }

    void changeResolutionWhileStreaming()
    {
        std::unique_ptr<MainWindow> window(makeWindow());
        QSignalSpy requested(m_stream, &FakeMjpegServer::requestReceived);
        window->networkHandler()->connectToDevice();
        QVERIFY(requested.wait(5000)); // the delayed start after connecting
        QTRY_VERIFY(!window->streamWidget()->currentFrame().isNull());
        QVERIFY(m_device->receivedBytes().contains("1280*720"));
        requested.clear();

        QElapsedTimer clock;
        clock.start();
        window->changeResolution(QStringLiteral("640*480"), QStringLiteral("640×480"));
        QCOMPARE(shownText(window->streamWidget()), QStringLiteral("视频流已停止"));
        const auto buttons = window->findChildren<QPushButton *>();
        QVERIFY(std::any_of(buttons.begin(), buttons.end(), [](QPushButton *button) {
            return button->text() == QStringLiteral("640×480"); // the resolution holder
        }));
        QTRY_VERIFY(m_device->receivedBytes().endsWith(
            "{\"command\":\"12\",\"info\":\"640*480\",\"status\":\"0\"}"));
        QVERIFY(requested.wait(4000));
        QVERIFY2(clock.elapsed() >= 2300, qPrintable(QString::number(clock.elapsed())));
        QVERIFY(window->streamWidget()->isPlaying());
        QCOMPARE(MainWindow::ResolutionRestartDelayMs, 2500);
    }

    void changeResolutionWhileDisconnected()
    {
        MainWindow window;
        window.networkHandler()->setControlPort(m_device->port());
        QSignalSpy status(window.networkHandler(), &NetworkHandler::statusUpdated);
        window.changeResolution(QStringLiteral("1920*1080"), QStringLiteral("1920×1080"));
        QCOMPARE(status.last().at(0).toString(), QStringLiteral("未连接，无法发送命令"));
        QSignalSpy requested(m_stream, &FakeMjpegServer::requestReceived);
        QVERIFY(!requested.wait(3000));
        QVERIFY(!window.streamWidget()->isPlaying());
    }

    void wifiIndicatorFollowsTheSource()
    {
        MainWindow window;
        auto *source = new FixedWifiSource(75);
        window.setWifiSignalSource(source);
        window.pollWifiSignal(); // the device address is on this namespace's loopback
        QCOMPARE(source->requests, 1);
        auto *label = window.findChild<QLabel *>(QStringLiteral("wifiSignalLabel"));
        QCOMPARE(label->text(), QStringLiteral("信号：强"));
        auto *dot = window.findChild<QLabel *>(QStringLiteral("wifiSignalDot"));
        QVERIFY(dot->styleSheet().contains("#24bc7a"));
        // A language change re-applies the last measured level.
        LangManager::instance()->setLanguage("zh_CN");
        QCOMPARE(label->text(), QStringLiteral("信号：强"));
    }

    void destructionDisconnects()
    {
        auto *window = makeWindow();
        window->networkHandler()->connectToDevice();
        QTRY_VERIFY(m_device->hasClient());
        QElapsedTimer clock;
        clock.start();
        delete window;
        QVERIFY(clock.elapsed() < 1500);
        QTRY_VERIFY(!m_device->hasClient());
    }
};

LUMAURAL_TEST_MAIN(TestMainWindowDevice)
#include "tst_mainwindowdevice.moc"
