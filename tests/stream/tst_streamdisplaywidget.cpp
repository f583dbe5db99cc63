#include "stream/streamdisplaywidget.h"

#include "common/testsupport.h"
#include "fakemjpegserver.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QSignalSpy>

namespace {

const QString NoDevice = QStringLiteral("设备未连接");
const QString Connecting = QStringLiteral("正在连接视频流...");

QString shownText(const StreamDisplayWidget &widget)
{
    return widget.findChild<QLabel *>()->text();
}

// Starts `widget` on `server`; true once the request arrived.
bool play(StreamDisplayWidget &widget, FakeMjpegServer &server)
{
    QSignalSpy requested(&server, &FakeMjpegServer::requestReceived);
    widget.resize(200, 150);
    widget.show();
    widget.startStream(server.url());
    return requested.wait(2000);
}

} // namespace

class TestStreamDisplayWidget : public QObject
{
    Q_OBJECT

private slots:
    void corruptFramesBurstsAndSilence()
    {
        FakeMjpegServer server;
        server.stalled = true;
        StreamDisplayWidget widget;
        QVERIFY(play(widget, server));
        server.sendRaw(FakeMjpegServer::part("\xFF\xD8not a jpeg\xFF\xD9") + QByteArray(300000, 0));
        QTRY_COMPARE(widget.decodedFrameCount(), 1);
        QCOMPARE(shownText(widget), NoDevice); // the bad frame is skipped

        QByteArray burst;
        for (int i = 1; i <= 10; ++i)
            burst += FakeMjpegServer::part(FakeMjpegServer::testJpeg(QSize(640, 480), i));
        server.sendRaw(burst);
        const QImage newest = QImage::fromData(FakeMjpegServer::testJpeg(QSize(640, 480), 10));
        // The newest frame at camera resolution, though the small view decoded it reduced.
        QTRY_COMPARE(widget.latestFrame(), newest.convertToFormat(QImage::Format_RGB32));
        // Loopback may deliver the burst in a few reads; never one decode per frame.
        QVERIFY2(widget.decodedFrameCount() < 1 + 10,
                 qPrintable(QString::number(widget.decodedFrameCount())));
        QCOMPARE(widget.currentFrame().size(), widget.size());
        QCOMPARE(qAlpha(widget.currentFrame().toImage().pixel(0, 0)), 0); // rounded corner
        QVERIFY(server.lastRequest.startsWith("GET /?action=stream HTTP/1."));

        // No frame for 3 s: the picture gives way to the text, and the request is made anew.
        QSignalSpy requested(&server, &FakeMjpegServer::requestReceived);
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(TestSupport::armedMs(&widget, "frameTimer"), 3000);
        QVERIFY(requested.wait(5000));
        QVERIFY2(clock.elapsed() >= 2700 && clock.elapsed() <= 3300,
                 qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(shownText(widget), Connecting);
        QVERIFY(widget.isPlaying() && widget.latestFrame().isNull());
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
        FakeMjpegServer server;
        const quint16 port = server.serverPort();
        const QString url = server.url();
        server.close(); // nothing listens: refused at once
        StreamDisplayWidget widget;
        widget.startStream(url);
        QTRY_VERIFY(!widget.isPlaying());
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(TestSupport::armedMs(&widget, "errorRetryTimer"), 2000);
        QCOMPARE(shownText(widget), Connecting);
        if (stop) {
            widget.stopStream();
            QCOMPARE(shownText(widget), NoDevice); // no retry is pending any more
        }
        QSignalSpy requested(&server, &FakeMjpegServer::requestReceived);
        QVERIFY(server.listen(QHostAddress::LocalHost, port));
        QCOMPARE(requested.wait(2600), !stop);
        if (!stop) {
            QVERIFY2(clock.elapsed() >= 1800 && clock.elapsed() <= 2200,
                     qPrintable(QString::number(clock.elapsed())));
            QTRY_VERIFY(!widget.currentFrame().isNull());
        }
    }

    // A double click asks for the full-screen view only while playing.
    void stopAndResetTextsAndDoubleClick()
    {
        FakeMjpegServer server;
        StreamDisplayWidget widget;
        QSignalSpy doubleClicked(&widget, &StreamDisplayWidget::doubleClicked);
        QTest::mouseDClick(&widget, Qt::LeftButton);
        widget.stopStream(); // not playing: the label keeps its text
        QCOMPARE(shownText(widget), NoDevice);
        // The device is there, its picture not yet.
        widget.setDeviceLinkUp(true);
        QCOMPARE(shownText(widget), Connecting);
        widget.setDeviceLinkUp(false);
        QCOMPARE(shownText(widget), NoDevice);

        QVERIFY(play(widget, server));
        QTest::mouseDClick(&widget, Qt::LeftButton);
        QCOMPARE(doubleClicked.size(), 1);
        widget.startStream(QString());
        QCOMPARE(shownText(widget), QStringLiteral("无效的流地址"));
        QVERIFY(widget.isPlaying()); // the running stream goes on
        QTRY_VERIFY(!widget.currentFrame().isNull());

        widget.stopStream();
        QCOMPARE(shownText(widget), QStringLiteral("视频流已停止"));
        QVERIFY(!widget.isPlaying());

        QVERIFY(play(widget, server));
        QTRY_VERIFY(!widget.currentFrame().isNull());
        widget.resetStream();
        QCOMPARE(shownText(widget), NoDevice);
        QVERIFY(!widget.isPlaying() && widget.latestFrame().isNull());
    }
};

LUMAURAL_TEST_MAIN(TestStreamDisplayWidget)
#include "tst_streamdisplaywidget.moc"
