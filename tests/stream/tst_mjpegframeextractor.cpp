// The live picture: cutting MJPEG frames, decoding, composing, turning and
// zooming, and the view that shows the stream.
#include "stream/focusmeasure.h"
#include "stream/framecomposer.h"
#include "stream/framering.h"
#include "stream/imageorientation.h"
#include "stream/jpegdecoder.h"
#include "stream/mjpegframeextractor.h"
#include "stream/streamdisplaywidget.h"
#include "stream/zoompan.h"

#include "common/testsupport.h"
#include "fakemjpegserver.h"

#include <QBuffer>
#include <QElapsedTimer>
#include <QLabel>
#include <QPainter>
#include <QSignalSpy>
#include <QWheelEvent>

namespace {

const QByteArray Soi("\xFF\xD8", 2);
const QByteArray Eoi("\xFF\xD9", 2);
// A frame with an embedded thumbnail, whose own end marker comes first.
const QByteArray Thumbnailed = Soi + "a" + Soi + "thumb" + Eoi + "b" + Eoi;

QByteArray frame(const char *body)
{
    return Soi + body + Eoi;
}

// Fine stripes and a few shapes, as a JPEG; `blurred` smears it the way a
// camera moved during the exposure does.
QByteArray detailJpeg(bool blurred, int shift = 0)
{
    QImage image(1920, 1080, QImage::Format_RGB32);
    image.fill(QColor(170, 90, 80));
    QPainter painter(&image);
    for (int x = shift % 24; x < 1920; x += 24)
        painter.fillRect(x, 0, 6, 1080, QColor(230, 180, 160));
    painter.setBrush(QColor(40, 20, 20));
    painter.drawEllipse(QPoint(700 + shift, 500), 180, 180);
    painter.end();
    if (blurred)
        image = image.scaled(240, 135, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                    .scaled(1920, 1080, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    image.save(&buffer, "JPEG", 85);
    return bytes;
}

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

class TestMjpegFrameExtractor : public QObject
{
    Q_OBJECT

private slots:
    void cutsFrames_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("frames");
        QTest::addColumn<QByteArray>("newest");
        QTest::addColumn<int>("left"); // bytes kept for the next read
        const QByteArray part = FakeMjpegServer::part(Thumbnailed);
        QTest::newRow("start without end waits") << "--b" + Soi + "part" << 0 << QByteArray() << 9;
        QTest::newRow("headers without length: markers")
            << "--b\r\nContent-Type: image/jpeg\r\n\r\n" + frame("x") << 1 << frame("x") << 0;
        QTest::newRow("Content-Length over a thumbnail, next part begun")
            << part + part.left(30) << 1 << Thumbnailed << 2 + 30;
        QTest::newRow("header name in lower case")
            << QByteArray(part).replace("Content-Length: ", "content-length:  ") << 1 << Thumbnailed
            << 2;
        QTest::newRow("absurd Content-Length: markers")
            << "--b\r\nContent-Length: 999999999999\r\n\r\n" + frame("q") << 1 << frame("q") << 0;
        QByteArray burst;
        for (const char *body : {"1", "2", "3", "4", "5", "6", "7", "8", "9", "10"})
            burst += FakeMjpegServer::part(frame(body));
        QTest::newRow("burst: only the newest handed out") << burst << 10 << frame("10") << 2;
    }

    void cutsFrames()
    {
        QFETCH(QByteArray, bytes);
        MjpegFrameExtractor extractor;
        extractor.append(bytes);
        const auto result = extractor.takeNewestFrame();
        QTEST(result.frames, "frames");
        QTEST(result.newest, "newest");
        QTEST(int(extractor.bufferedBytes()), "left");
    }

    void everySplitPointGivesTheSameFrames()
    {
        const QByteArray stream =
            FakeMjpegServer::part(Thumbnailed) + "--b\r\n\r\n" + frame("two") + "\r\n";
        for (int cut = 0; cut <= stream.size(); ++cut) {
            MjpegFrameExtractor extractor;
            QByteArrayList frames;
            for (const QByteArray &read : {stream.left(cut), stream.mid(cut)}) {
                extractor.append(read);
                frames.append(extractor.takeNewestFrame().newest);
            }
            frames.removeAll(QByteArray());
            QVERIFY2(frames == QByteArrayList{frame("two")} ||
                         frames == (QByteArrayList{Thumbnailed, frame("two")}),
                     qPrintable(QString::number(cut)));
        }
    }

    void endlessBytesAreBounded_data()
    {
        QTest::addColumn<QByteArray>("prefix");
        QTest::newRow("no boundary, no marker") << QByteArray();
        QTest::newRow("start marker, never an end") << Soi;
        QTest::newRow("headers without length") << QByteArray("--b\r\nContent-Type: x\r\n\r\n");
    }

    void endlessBytesAreBounded()
    {
        QFETCH(QByteArray, prefix);
        const QByteArray filler(1 << 20, 'x');
        MjpegFrameExtractor extractor;
        extractor.append(prefix);
        for (int i = 0; i < 12; ++i) {
            extractor.append(filler);
            QCOMPARE(extractor.takeNewestFrame().frames, 0);
            QVERIFY(extractor.bufferedBytes() <=
                    MjpegFrameExtractor::MaxFrameBytes + filler.size());
        }
        // After the noise a frame still comes through, even with its start marker split.
        extractor.append(filler + "\xFF");
        extractor.takeNewestFrame();
        extractor.append("\xD8ok" + Eoi);
        QCOMPARE(extractor.takeNewestFrame().newest, frame("ok"));
    }

    void composerCoversAndRoundsTheView()
    {
        // A 4:3 frame in a wide view: cut top and bottom equally; corners transparent.
        QImage frame(400, 300, QImage::Format_RGB32);
        frame.fill(Qt::red);
        QPainter(&frame).fillRect(0, 0, 400, 40, Qt::blue);
        const QImage picture = FrameComposer().composeImage(frame, QSize(200, 100));
        QCOMPARE(picture.size(), QSize(200, 100));
        QCOMPARE(qAlpha(picture.pixel(0, 0)), 0);
        QCOMPARE(qAlpha(picture.pixel(199, 99)), 0);
        QCOMPARE(picture.pixel(100, 0), qRgb(255, 0, 0)); // the blue band was cut off
        QCOMPARE(picture.pixel(0, 50), qRgb(255, 0, 0));  // edges between the corners stay opaque

        // On a screen of two pixels per point: the screen's pixels, the corners
        // as round as on any screen.
        FrameComposer composer;
        const QImage sharp = composer.composeImage(frame, QSize(200, 100), 2.0);
        QCOMPARE(sharp.size(), QSize(400, 200));
        QCOMPARE(sharp.devicePixelRatio(), 2.0);
        QCOMPARE(qAlpha(sharp.pixel(12, 2)), 0);
        QCOMPARE(qAlpha(composer.composeImage(frame, QSize(400, 200)).pixel(12, 2)), 255);
    }

    // Quadrants red, green (top) and blue, white (bottom); turned and zoomed
    // views show the right one where they should, and a zoomed view decodes
    // only its part.
    void composerTurnsAndZoomsTheFrame()
    {
        QImage frame(640, 480, QImage::Format_RGB32);
        QPainter painter(&frame);
        painter.fillRect(0, 0, 320, 240, Qt::red);
        painter.fillRect(320, 0, 320, 240, Qt::green);
        painter.fillRect(0, 240, 320, 240, Qt::blue);
        painter.fillRect(320, 240, 320, 240, Qt::white);
        painter.end();
        QByteArray jpeg;
        QBuffer buffer(&jpeg);
        buffer.open(QIODevice::WriteOnly);
        frame.save(&buffer, "JPEG", 95);
        const auto colours = [](const QImage &picture, const QList<QPoint> &points) {
            QString names;
            for (const QPoint &point : points) {
                const QColor c = picture.pixelColor(point);
                names += c.lightness() > 200 ? 'w'
                         : c.red() > 150     ? 'r'
                         : c.green() > 150   ? 'g'
                         : c.blue() > 150    ? 'b'
                                             : '?';
            }
            return names;
        };
        const QList<QPoint> wideCorners{{40, 30}, {120, 30}, {40, 90}, {120, 90}};
        const QList<QPoint> tallCorners{{30, 40}, {90, 40}, {30, 120}, {90, 120}};
        FrameComposer composer;
        QImage fullFrame;
        QCOMPARE(colours(composer.compose(jpeg, QSize(160, 120)), wideCorners), "rgbw");
        QCOMPARE(colours(composer.compose(jpeg, QSize(160, 120), nullptr, 1.0,
                                          ImageOrientation(0, true)),
                         wideCorners),
                 "grwb");
        const QImage turned =
            composer.compose(jpeg, QSize(120, 160), &fullFrame, 1.0, ImageOrientation(90, false));
        QCOMPARE(turned.size(), QSize(120, 160));
        QCOMPARE(colours(turned, tallCorners), "brwg");
        // Standing in a lying view, the turned frame is shown whole, between bars.
        QCOMPARE(colours(composer.compose(jpeg, QSize(160, 120), nullptr, 1.0,
                                          ImageOrientation(90, false)),
                         {{10, 60}, {150, 60}, {60, 30}, {100, 90}}),
                 "??bg");

        ZoomPan zoom;
        composer.compose(jpeg, QSize(160, 120), nullptr, 1.0, ImageOrientation(), &zoom);
        QCOMPARE(zoom.pictureSize(), QSizeF(640, 480));
        zoom.zoomAt(QPointF(0, 0), 4); // the top-left sixteenth: red
        QCOMPARE(colours(composer.compose(jpeg, QSize(160, 120), &fullFrame, 1.0,
                                          ImageOrientation(), &zoom),
                         wideCorners + QList<QPoint>{{80, 60}, {150, 110}}),
                 "rrrrrr");
        QVERIFY(fullFrame.isNull()); // only a part was decoded
        const JpegDecoder::Region part = JpegDecoder::decodeRegion(
            jpeg, [](const QSize &) { return QRectF(100, 300, 50, 40); }, QSize(50, 40));
        QCOMPARE(part.frameSize, QSize(640, 480));
        QVERIFY(part.image.width() < 640 && part.image.height() < 480);
        QCOMPARE(colours(part.image, {part.shown.center().toPoint()}), "b");
    }

    // Reduced while decoding only as far as the picture still covers the view:
    // a live view is never enlarged from a reduced decode.
    void decoderNeverReducesBelowTheView_data()
    {
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<QSize>("view");
        QTest::addColumn<QSize>("decoded");
        const QSize hd(1920, 1080);
        QTest::newRow("smallest window") << hd << QSize(1100, 620) << hd;
        QTest::newRow("half covers exactly") << hd << QSize(960, 540) << QSize(960, 540);
        QTest::newRow("half a pixel short") << hd << QSize(960, 541) << hd;
        // Only the height shrinks: still a reduced picture.
        QTest::newRow("one pixel wide") << QSize(1, 64) << QSize(1, 32) << QSize(1, 32);
    }

    void decoderNeverReducesBelowTheView()
    {
        QFETCH(QSize, picture);
        QFETCH(QSize, view);
        bool reduced = true;
        const QImage image =
            JpegDecoder::decode(FakeMjpegServer::testJpeg(picture, 1), view, &reduced);
        QTEST(image.size(), "decoded");
        QCOMPARE(reduced, image.size() != picture);
    }

    // Age, count and bytes each bound the ring; the newest frame always stays.
    void frameRingKeepsItsBounds()
    {
        FrameRing ring(500, 4, 1000);
        const QByteArray small(200, 'x');
        for (int i = 0; i < 10; ++i)
            ring.add(small, i * 100);
        QCOMPARE(ring.size(), 4); // six are within 500 ms of the newest, four fit
        QCOMPARE(ring.frames().first().receivedMs, 600);
        QCOMPARE(ring.bytes(), 800);
        ring.add(QByteArray(700, 'y'), 950);
        QCOMPARE(ring.size(), 2); // the oldest went until the bytes fit
        QCOMPARE(ring.bytes(), 900);
        ring.add(QByteArray(2000, 'z'), 960);
        QCOMPARE(ring.size(), 1);
        QCOMPARE(ring.frames().last().receivedMs, 960);
        ring.add(small, 2000);
        QCOMPARE(ring.size(), 1); // the big one is older than the span
        ring.add(small, 10);      // a clock from a new start: nothing to compare with
        QCOMPARE(ring.size(), 1);
        QCOMPARE(ring.bytes(), 200);
    }

    void focusMeasureTellsBlurredFromSharp()
    {
        const QByteArray sharp = detailJpeg(false);
        const QByteArray blurred = detailJpeg(true);
        QCOMPARE(FocusMeasure::reducedBrightness(sharp).size(), QSize(480, 270));
        const double sharpScore = FocusMeasure::score(sharp);
        const double blurredScore = FocusMeasure::score(blurred);
        QVERIFY2(sharpScore > 4 * blurredScore,
                 qPrintable(QStringLiteral("%1 vs %2").arg(sharpScore).arg(blurredScore)));
        QVERIFY(FocusMeasure::score(QByteArray("not a picture")) < 0);

        // Among moving frames the sharp one wins wherever it is.
        QList<double> scores;
        for (int i = 0; i < 5; ++i)
            scores.append(FocusMeasure::score(detailJpeg(i != 1, i * 7)));
        QCOMPARE(FocusMeasure::choose(scores), 1);
        // Of frames about as sharp, the newest; unmeasured frames never win.
        QCOMPARE(FocusMeasure::choose({100, 50, 97, -1}), 2);
        QCOMPARE(FocusMeasure::choose({100, 50, 90}), 0);
        QCOMPARE(FocusMeasure::choose({-1, -1}), -1);
        QCOMPARE(FocusMeasure::choose({}), -1);
    }

    void decoderRefusesAbsurdHeaders()
    {
        const QByteArray jpeg = FakeMjpegServer::testJpeg(QSize(16, 16), 1);
        const QImage truncated = JpegDecoder::decode(jpeg.left(200));
        QVERIFY(truncated.isNull() || truncated.size() == QSize(16, 16));
        // A frame header claiming 60000 x 60000.
        const qsizetype sof = jpeg.indexOf(QByteArray("\xFF\xC0", 2));
        QVERIFY(sof > 0);
        QVERIFY(
            JpegDecoder::decode(QByteArray(jpeg).replace(sof + 5, 4, "\xEA\x60\xEA\x60")).isNull());
    }

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

LUMAURAL_TEST_MAIN(TestMjpegFrameExtractor)
#include "tst_mjpegframeextractor.moc"
