#include "stream/streamdisplaywidget.h"

#include "i18n/langmanager.h"

#include "common/testsupport.h"
#include "fakemjpegserver.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QSignalSpy>
#include <QTemporaryDir>

namespace {

const QString NoDevice = QStringLiteral("设备未连接");

QString shownText(const StreamDisplayWidget &widget)
{
    return widget.findChild<QLabel *>()->text();
}

// Starts `widget` on `server`; true once the request arrived.
bool play(StreamDisplayWidget &widget, FakeMjpegServer &server)
{
    QSignalSpy requested(&server, &FakeMjpegServer::requestReceived);
    widget.resize(200, 150);
    widget.startStream(server.url());
    return requested.wait(2000);
}

QImage decoded(const QByteArray &jpeg)
{
    return QImage::fromData(jpeg).convertToFormat(QImage::Format_RGB32);
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
                                   "stream.stopped": "Live video stopped"})");
        QVERIFY(LangManager::instance()->loadLanguagePacks(m_packs.path()));
        LangManager::instance()->setLanguage("zh_CN");
    }

    void showsFramesFromTheStream()
    {
        FakeMjpegServer server;
        server.frameSize = QSize(640, 480);
        StreamDisplayWidget widget;
        widget.show();
        QVERIFY(play(widget, server));
        QVERIFY(server.lastRequest.startsWith("GET /?action=stream HTTP/1."));
        QTRY_VERIFY(!widget.currentFrame().isNull());
        QCOMPARE(widget.currentFrame().size(), widget.size());
        QCOMPARE(qAlpha(widget.currentFrame().toImage().pixel(0, 0)), 0); // rounded corner
        QCOMPARE(widget.latestFrame().size(), QSize(640, 480));           // camera resolution
    }

    void burstInOneReadDecodesOnlyTheNewest()
    {
        FakeMjpegServer server;
        server.stalled = true;
        StreamDisplayWidget widget;
        QVERIFY(play(widget, server));
        QByteArray burst;
        for (int i = 1; i <= 10; ++i)
            burst += FakeMjpegServer::part(FakeMjpegServer::testJpeg(QSize(64, 48), i));
        server.sendRaw(burst);
        QTRY_COMPARE(widget.latestFrame(), decoded(FakeMjpegServer::testJpeg(QSize(64, 48), 10)));
        // Loopback may deliver the burst in a few reads; never one decode per frame.
        QVERIFY2(widget.decodedFrameCount() < 10,
                 qPrintable(QString::number(widget.decodedFrameCount())));
    }

    void corruptFramesAndNoiseAreSkipped()
    {
        FakeMjpegServer server;
        server.stalled = true;
        StreamDisplayWidget widget;
        QVERIFY(play(widget, server));
        server.sendRaw(FakeMjpegServer::part("\xFF\xD8not a jpeg\xFF\xD9") + QByteArray(300000, 0));
        QTRY_VERIFY(widget.decodedFrameCount() >= 1);
        QVERIFY(widget.currentFrame().isNull());
        server.sendRaw(FakeMjpegServer::part(FakeMjpegServer::testJpeg(QSize(64, 48), 2)));
        QTRY_VERIFY(!widget.currentFrame().isNull());
    }

    void frameTimeoutRestartsTheRequest()
    {
        FakeMjpegServer server;
        StreamDisplayWidget widget;
        QVERIFY(play(widget, server));
        QTRY_VERIFY(!widget.currentFrame().isNull());
        QSignalSpy requested(&server, &FakeMjpegServer::requestReceived);
        server.stalled = true;
        QElapsedTimer clock;
        clock.start();
        QVERIFY(requested.wait(5000));
        QVERIFY2(clock.elapsed() >= 2800, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(shownText(widget), NoDevice);
        QVERIFY(widget.latestFrame().isNull());
        QVERIFY(widget.isPlaying());
    }

    void networkErrorIsRetriedAfter2sUnlessStopped_data()
    {
        QTest::addColumn<bool>("stop");
        QTest::newRow("retried") << false;
        QTest::newRow("stopped meanwhile") << true;
    }

    void networkErrorIsRetriedAfter2sUnlessStopped()
    {
        QFETCH(bool, stop);
        quint16 port = 0;
        {
            QTcpServer closed; // a port on which nothing listens: refused at once
            closed.listen(QHostAddress::LocalHost);
            port = closed.serverPort();
        }
        StreamDisplayWidget widget;
        widget.startStream(QStringLiteral("http://127.0.0.1:%1/?action=stream").arg(port));
        QTRY_VERIFY(!widget.isPlaying());
        QCOMPARE(shownText(widget), NoDevice);
        if (stop)
            widget.stopStream();
        QElapsedTimer clock;
        clock.start();
        FakeMjpegServer server(port);
        QSignalSpy requested(&server, &FakeMjpegServer::requestReceived);
        QCOMPARE(requested.wait(2600), !stop);
        if (!stop) {
            QVERIFY2(clock.elapsed() >= 1500, qPrintable(QString::number(clock.elapsed())));
            QTRY_VERIFY(!widget.currentFrame().isNull());
        }
    }

    void stopAndResetTexts()
    {
        FakeMjpegServer server;
        StreamDisplayWidget widget;
        widget.stopStream(); // not playing: the label keeps its text
        QCOMPARE(shownText(widget), NoDevice);

        QVERIFY(play(widget, server));
        widget.startStream(QString());
        QCOMPARE(shownText(widget), QStringLiteral("无效的流地址"));
        QVERIFY(widget.isPlaying()); // the running stream goes on
        QTRY_VERIFY(!widget.currentFrame().isNull());

        widget.stopStream();
        QCOMPARE(shownText(widget), QStringLiteral("视频流已停止"));
        QVERIFY(!widget.isPlaying());
        LangManager::instance()->setLanguage("en_US");
        QCOMPARE(shownText(widget), QStringLiteral("Live video stopped"));
        LangManager::instance()->setLanguage("zh_CN");

        QVERIFY(play(widget, server));
        QTRY_VERIFY(!widget.currentFrame().isNull());
        widget.resetStream();
        QCOMPARE(shownText(widget), NoDevice);
        QVERIFY(!widget.isPlaying() && widget.latestFrame().isNull());
    }

    void doubleClickOnlyWhilePlaying()
    {
        FakeMjpegServer server;
        StreamDisplayWidget widget;
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
