#include "stream/streamdisplaywidget.h"

#include "stream/imageorientation.h"
#include "stream/zoompan.h"

#include "common/testsupport.h"
#include "fakemjpegserver.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QSignalSpy>
#include <QWheelEvent>

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
    // Each step turns or flips the picture as the user sees it, checked
    // against Qt's own rotation and mirror; pixels, points and sizes agree.
    void orientationStepsActOnTheShownPicture()
    {
        QImage camera(5, 3, QImage::Format_RGB32);
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 5; ++x)
                camera.setPixel(x, y, qRgb(x * 40, y * 80, 7));
        const auto shownAfter = [](const QImage &shown, char step) {
            return step == 'm' ? shown.mirrored(true, false)
                               : shown.transformed(QTransform().rotate(step == 'r' ? 90 : -90));
        };
        ImageOrientation orientation;
        QImage expected = camera;
        for (const char step : QByteArray("rmrrlmrlmr")) {
            if (step == 'm')
                orientation.toggleMirror();
            else if (step == 'r')
                orientation.rotateClockwise();
            else
                orientation.rotateCounterclockwise();
            expected = shownAfter(expected, step);
            const QImage shown = orientation.apply(camera);
            QCOMPARE(shown, expected);
            QCOMPARE(orientation.mapSize(camera.size()), shown.size());
            const QTransform transform = orientation.transform(QSizeF(camera.size()));
            for (int y = 0; y < 3; ++y)
                for (int x = 0; x < 5; ++x) {
                    const QPoint at = orientation.mapPixel(QPoint(x, y), camera.size());
                    QCOMPARE(shown.pixel(at), camera.pixel(x, y));
                    const QPointF point(x + 0.25, y + 0.75);
                    const QPointF mapped = orientation.mapPoint(point, QSizeF(camera.size()));
                    QCOMPARE(transform.map(point), mapped);
                    QCOMPARE(orientation.unmapPoint(mapped, QSizeF(camera.size())), point);
                }
        }
        QCOMPARE(ImageOrientation(-90, false).rotation(), 270);
        QCOMPARE(ImageOrientation(450, true).rotation(), 90);
        QVERIFY(ImageOrientation(360, false).isIdentity());
        // Other pixel formats come back turned too, in a 32-bit format.
        QImage gray(4, 2, QImage::Format_Grayscale8);
        gray.fill(200);
        QCOMPARE(ImageOrientation(90, false).apply(gray).size(), QSize(2, 4));
    }

    void zoomHoldsThePointUnderThePointerAndPanStaysInside()
    {
        ZoomPan cover; // a 200x100 picture covering a 100x100 view
        cover.setViewSize(QSizeF(100, 100));
        cover.setPictureSize(QSizeF(200, 100));
        QCOMPARE(cover.visiblePictureRect(), QRectF(50, 0, 100, 100));
        QVERIFY(cover.zoomAt(QPointF(0, 0), 2));
        QCOMPARE(cover.viewToPicture(QPointF(0, 0)), QPointF(50, 0));
        QCOMPARE(cover.visiblePictureRect(), QRectF(50, 0, 50, 50));
        const QPointF inside(30, 70);
        QCOMPARE(cover.pictureToView(cover.viewToPicture(inside)), inside);
        QVERIFY(cover.panBy(QPointF(1000, -1000))); // dragged right and up, to the edges
        QCOMPARE(cover.visiblePictureRect(), QRectF(0, 50, 50, 50));
        QVERIFY(!cover.panBy(QPointF(1, -1)));
        QVERIFY(cover.stepAt(QPointF(50, 50), 10));
        QCOMPARE(cover.zoom(), ZoomPan::MaxZoom);
        QVERIFY(!cover.stepAt(QPointF(50, 50), 1));
        QVERIFY(cover.stepAt(QPointF(50, 50), -100));
        QVERIFY(!cover.isZoomed());
        QCOMPARE(cover.visiblePictureRect(), QRectF(0, 0, 100, 100)); // still clamped
        cover.zoomAt(QPointF(90, 90), 3);
        cover.reset();
        QCOMPARE(cover.visiblePictureRect(), QRectF(50, 0, 100, 100));

        ZoomPan fit(ZoomPan::Fit); // bars above and below
        fit.setViewSize(QSizeF(100, 100));
        fit.setPictureSize(QSizeF(200, 100));
        QCOMPARE(fit.pictureRectInView(), QRectF(0, 25, 100, 50));
        QVERIFY(!fit.panBy(QPointF(0, 30)));
        fit.zoomAt(QPointF(100, 50), 2); // the right edge stays at the right
        QCOMPARE(fit.pictureRectInView(), QRectF(-100, 0, 200, 100));
        fit.setViewSize(QSizeF(50, 50)); // a smaller view keeps zoom and clamps
        QCOMPARE(fit.zoom(), 2.0);
        QCOMPARE(fit.visiblePictureRect().right(), 200.0);
    }

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

    // Frozen, the picture holds while frames keep the stream alive: no
    // timeout, no new request; a stall underneath leaves the picture too.
    // Zoom shows a part but keeps the whole frame for captures.
    void freezeHoldsThePictureWhileTheStreamRunsOn()
    {
        FakeMjpegServer server;
        StreamDisplayWidget widget;
        QVERIFY(!widget.setFrozen(true)); // nothing to hold yet
        QVERIFY(play(widget, server));
        QTRY_VERIFY(!widget.latestFrame().isNull());
        QSignalSpy frozen(&widget, &StreamDisplayWidget::frozenChanged);
        QVERIFY(widget.setFrozen(true));
        QCOMPARE(frozen.size(), 1);
        const QImage held = widget.latestFrame();
        const QImage shown = widget.currentFrame().toImage();
        QVERIFY(widget.findChild<QWidget *>("frozenMarker")->isVisible());
        QSignalSpy requested(&server, &FakeMjpegServer::requestReceived);
        QTest::qWait(StreamDisplayWidget::FrameTimeoutMs + 400);
        QCOMPARE(requested.size(), 0);
        QCOMPARE(widget.latestFrame(), held);
        QCOMPARE(widget.currentFrame().toImage(), shown);

        server.stalled = true; // the stream dies underneath: restarted, picture kept
        QVERIFY(requested.wait(StreamDisplayWidget::FrameTimeoutMs + 1000));
        QCOMPARE(widget.currentFrame().toImage(), shown);
        QVERIFY(widget.isFrozen());
        server.stalled = false;
        QTest::qWait(200);
        widget.setFrozen(false);
        QVERIFY(!widget.findChild<QWidget *>("frozenMarker")->isVisible());
        QTRY_VERIFY(widget.latestFrame() != held);

        QSignalSpy zoomed(&widget, &StreamDisplayWidget::zoomChanged);
        QWheelEvent wheel(QPointF(20, 20), widget.mapToGlobal(QPointF(20, 20)), QPoint(),
                          QPoint(0, 240), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(&widget, &wheel);
        QCOMPARE(widget.zoom(), ZoomPan::StepFactor * ZoomPan::StepFactor);
        QCOMPARE(zoomed.size(), 1);
        QTRY_COMPARE(widget.latestFrame().size(), QSize(320, 240)); // captures stay whole
        widget.resetZoom();
        QCOMPARE(widget.zoom(), 1.0);
        widget.setFrozen(true);
        widget.stopStream(); // ends the freeze with the stream
        QVERIFY(!widget.isFrozen());
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
