#include "stream/streamdisplaywidget.h"

#include "i18n/langmanager.h"

#include "common/testsupport.h"
#include "fakemjpegserver.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QSignalSpy>
#include <QTemporaryDir>

namespace {

QString shownText(const StreamDisplayWidget &widget)
{
    return widget.findChild<QLabel *>()->text();
}

quint16 closedPort()
{
    QTcpServer server;
    server.listen(QHostAddress::LocalHost);
    return server.serverPort();
}

} // namespace

class TestStreamDisplayWidget : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_packs;

private slots:
    void initTestCase()
    {
        TestSupport::writeFile(m_packs.filePath("zh_CN.json"),
                               R"({"meta.code": "zh_CN", "meta.name": "中文"})");
        TestSupport::writeFile(m_packs.filePath("en_US.json"),
                               R"({"meta.code": "en_US", "meta.name": "English",
                                   "inspect.no_device": "No device connected",
                                   "stream.stopped": "Live video stopped"})");
        QVERIFY(LangManager::instance()->loadLanguagePacks(m_packs.path()));
        LangManager::instance()->setLanguage("zh_CN");
    }

    void startsIdle()
    {
        StreamDisplayWidget widget;
        QCOMPARE(shownText(widget), QStringLiteral("设备未连接"));
        QVERIFY(!widget.isPlaying());
        QVERIFY(widget.currentFrame().isNull());
        QVERIFY(widget.latestFrame().isNull());
    }

    void showsFramesFromTheStream()
    {
        FakeMjpegServer server;
        QVERIFY(server.listen());
        server.setFrameSize(QSize(640, 480));
        StreamDisplayWidget widget;
        widget.resize(400, 300);
        widget.show();
        widget.startStream(server.url());
        QVERIFY(widget.isPlaying());
        QTRY_VERIFY(!widget.currentFrame().isNull());
        QCOMPARE(server.lastRequest().left(27), QByteArray("GET /?action=stream HTTP/1."));
        QCOMPARE(widget.currentFrame().size(), QSize(400, 300));
        QCOMPARE(qAlpha(widget.currentFrame().toImage().pixel(0, 0)), 0); // rounded corner
        QCOMPARE(widget.latestFrame().size(), QSize(640, 480));           // camera resolution
    }

    void burstInOneReadDecodesOnce()
    {
        FakeMjpegServer server;
        QVERIFY(server.listen());
        server.setMode(FakeMjpegServer::Mode::Stall);
        StreamDisplayWidget widget;
        widget.resize(200, 150);
        widget.startStream(server.url());
        QSignalSpy requested(&server, &FakeMjpegServer::requestReceived);
        QVERIFY(requested.wait(2000));
        QByteArray burst;
        for (int i = 1; i <= 10; ++i)
            burst += FakeMjpegServer::part(FakeMjpegServer::testJpeg(QSize(64, 48), i));
        server.sendRaw(burst);
        QTRY_VERIFY(!widget.currentFrame().isNull());
        QTRY_COMPARE(widget.latestFrame(),
                     QImage::fromData(FakeMjpegServer::testJpeg(QSize(64, 48), 10))
                         .convertToFormat(QImage::Format_RGB32));
        // Loopback may deliver the burst in a few reads; never one decode per frame.
        QVERIFY2(widget.decodedFrameCount() < 10,
                 qPrintable(QString::number(widget.decodedFrameCount())));
    }

    void frameTimeoutRestartsTheRequest()
    {
        FakeMjpegServer server;
        QVERIFY(server.listen());
        StreamDisplayWidget widget;
        widget.resize(200, 150);
        widget.startStream(server.url());
        QTRY_VERIFY(!widget.currentFrame().isNull());
        QSignalSpy requested(&server, &FakeMjpegServer::requestReceived);
        server.setMode(FakeMjpegServer::Mode::Stall); // accepts, then sends nothing
        QElapsedTimer clock;
        clock.start();
        QVERIFY(requested.wait(5000));
        QVERIFY2(clock.elapsed() >= 2800, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(shownText(widget), QStringLiteral("设备未连接"));
        QVERIFY(widget.latestFrame().isNull());
        QVERIFY(widget.isPlaying());
        QCOMPARE(StreamDisplayWidget::FrameTimeoutMs, 3000);
    }

    void networkErrorRetriesAfter2s()
    {
        const quint16 port = closedPort();
        const QString url = QStringLiteral("http://127.0.0.1:%1/?action=stream").arg(port);
        StreamDisplayWidget widget;
        widget.startStream(url);
        QTRY_VERIFY(!widget.isPlaying()); // refused
        QCOMPARE(shownText(widget), QStringLiteral("设备未连接"));
        QElapsedTimer clock;
        clock.start();
        FakeMjpegServer server;
        QVERIFY(server.listen(QHostAddress::LocalHost, port));
        QSignalSpy requested(&server, &FakeMjpegServer::requestReceived);
        QVERIFY(requested.wait(4000));
        QVERIFY2(clock.elapsed() >= 1500, qPrintable(QString::number(clock.elapsed())));
        QTRY_VERIFY(!widget.currentFrame().isNull());
        QCOMPARE(StreamDisplayWidget::ErrorRetryDelayMs, 2000);
    }

    void stopCancelsThePendingRetry()
    {
        const quint16 port = closedPort();
        StreamDisplayWidget widget;
        widget.startStream(QStringLiteral("http://127.0.0.1:%1/?action=stream").arg(port));
        QTRY_VERIFY(!widget.isPlaying());
        widget.stopStream();
        FakeMjpegServer server;
        QVERIFY(server.listen(QHostAddress::LocalHost, port));
        QSignalSpy requested(&server, &FakeMjpegServer::requestReceived);
        QVERIFY(!requested.wait(2600));
    }

    void serverClosingMidFrameIsRetried()
    {
        FakeMjpegServer server;
        QVERIFY(server.listen());
        server.setMode(FakeMjpegServer::Mode::Stall);
        StreamDisplayWidget widget;
        widget.resize(200, 150);
        QSignalSpy requested(&server, &FakeMjpegServer::requestReceived);
        widget.startStream(server.url());
        QVERIFY(requested.wait(2000));
        const QByteArray part = FakeMjpegServer::part(FakeMjpegServer::testJpeg(QSize(64, 48), 1));
        server.sendRaw(part.left(part.size() / 2));
        server.closeClient();
        QVERIFY(requested.wait(5000)); // asked again after the silence
        server.setMode(FakeMjpegServer::Mode::Stream);
        QTRY_VERIFY(!widget.currentFrame().isNull());
    }

    void corruptFramesAreSkipped()
    {
        FakeMjpegServer server;
        QVERIFY(server.listen());
        server.setMode(FakeMjpegServer::Mode::Stall);
        StreamDisplayWidget widget;
        widget.resize(200, 150);
        QSignalSpy requested(&server, &FakeMjpegServer::requestReceived);
        widget.startStream(server.url());
        QVERIFY(requested.wait(2000));
        server.sendPart(QByteArray("\xFF\xD8not a jpeg at all\xFF\xD9"));
        server.sendRaw(QByteArray(300000, '\x00')); // noise without any boundary
        QTRY_VERIFY(widget.decodedFrameCount() >= 1);
        QVERIFY(widget.currentFrame().isNull());
        server.sendPart(FakeMjpegServer::testJpeg(QSize(64, 48), 2));
        QTRY_VERIFY(!widget.currentFrame().isNull());
    }

    void stopAndResetTexts()
    {
        FakeMjpegServer server;
        QVERIFY(server.listen());
        StreamDisplayWidget widget;
        widget.resize(200, 150);

        widget.stopStream(); // not playing: the label keeps its text
        QCOMPARE(shownText(widget), QStringLiteral("设备未连接"));

        widget.startStream(server.url());
        QTRY_VERIFY(!widget.currentFrame().isNull());
        widget.startStream(QString());
        QCOMPARE(shownText(widget), QStringLiteral("无效的流地址"));
        QVERIFY(widget.isPlaying()); // the running stream goes on
        QTRY_VERIFY(!widget.currentFrame().isNull());

        widget.stopStream();
        QCOMPARE(shownText(widget), QStringLiteral("视频流已停止"));
        QVERIFY(!widget.isPlaying());
        QVERIFY(widget.streamUrl().isNull());

        LangManager::instance()->setLanguage("en_US");
        QCOMPARE(shownText(widget), QStringLiteral("Live video stopped"));
        LangManager::instance()->setLanguage("zh_CN");

        widget.startStream(server.url());
        QTRY_VERIFY(!widget.currentFrame().isNull());
        widget.resetStream();
        QCOMPARE(shownText(widget), QStringLiteral("设备未连接"));
        QVERIFY(!widget.isPlaying());
        QVERIFY(widget.currentFrame().isNull());
        QVERIFY(widget.latestFrame().isNull());
    }

    void doubleClickOnlyWhilePlaying()
    {
        FakeMjpegServer server;
        QVERIFY(server.listen());
        StreamDisplayWidget widget;
        widget.resize(200, 150);
        QSignalSpy clicked(&widget, &StreamDisplayWidget::doubleClicked);
        QTest::mouseDClick(&widget, Qt::LeftButton);
        QCOMPARE(clicked.size(), 0);
        widget.startStream(server.url());
        QTest::mouseDClick(&widget, Qt::LeftButton);
        QCOMPARE(clicked.size(), 1);
    }
};

LUMAURAL_TEST_MAIN(TestStreamDisplayWidget)
#include "tst_streamdisplaywidget.moc"
