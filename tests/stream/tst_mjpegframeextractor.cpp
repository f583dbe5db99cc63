#include "stream/framecomposer.h"
#include "stream/jpegdecoder.h"
#include "stream/mjpegframeextractor.h"

#include "common/testsupport.h"
#include "fakemjpegserver.h"

#include <QPainter>

namespace {

const QByteArray Soi("\xFF\xD8", 2);
const QByteArray Eoi("\xFF\xD9", 2);

QByteArray withThumbnail(const QByteArray &jpeg)
{
    // An APP1 segment right after SOI whose payload holds a complete small JPEG,
    // as cameras embed EXIF thumbnails.
    const QByteArray thumbnail = Soi + QByteArray("thumb") + Eoi;
    const int length = thumbnail.size() + 2;
    QByteArray app1("\xFF\xE1", 2);
    app1.append(char(length >> 8)).append(char(length & 0xff)).append(thumbnail);
    return jpeg.left(2) + app1 + jpeg.mid(2);
}

} // namespace

class TestMjpegFrameExtractor : public QObject
{
    Q_OBJECT

private slots:
    void markers_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("frames");
        QTest::addColumn<QByteArray>("newest");
        QTest::addColumn<QByteArray>("left");
        QTest::newRow("stray bytes around one frame")
            << QByteArray("ab" + Soi + "data" + Eoi + "cd") << 1 << QByteArray(Soi + "data" + Eoi)
            << QByteArray("cd");
        QTest::newRow("end right after start")
            << QByteArray(Soi + Eoi + "x") << 1 << QByteArray(Soi + Eoi) << QByteArray("x");
        QTest::newRow("start without end waits")
            << QByteArray("--b\r\n" + Soi + "partial") << 0 << QByteArray()
            << QByteArray("--b\r\n" + Soi + "partial");
        QTest::newRow("two frames: newest handed out")
            << QByteArray(Soi + "one" + Eoi + Soi + "two" + Eoi) << 2
            << QByteArray(Soi + "two" + Eoi) << QByteArray();
        QTest::newRow("headers without length, cut by markers")
            << QByteArray("--b\r\nContent-Type: image/jpeg\r\n\r\n" + Soi + "x" + Eoi + "\r\n") << 1
            << QByteArray(Soi + "x" + Eoi) << QByteArray("\r\n");
    }

    void markers()
    {
        QFETCH(QByteArray, bytes);
        MjpegFrameExtractor extractor;
        extractor.append(bytes);
        const auto result = extractor.takeNewestFrame();
        QTEST(result.frames, "frames");
        QTEST(result.newest, "newest");
        QFETCH(QByteArray, left);
        QCOMPARE(extractor.bufferedBytes(), left.size());
    }

    void contentLengthCutsFramesWithThumbnails()
    {
        const QByteArray jpeg = withThumbnail(FakeMjpegServer::testJpeg(QSize(64, 48), 1));
        QVERIFY(!JpegDecoder::decode(jpeg).isNull());
        MjpegFrameExtractor extractor;
        extractor.append(FakeMjpegServer::part(jpeg) + FakeMjpegServer::part(jpeg).left(30));
        const auto result = extractor.takeNewestFrame();
        QCOMPARE(result.frames, 1);
        QCOMPARE(result.newest, jpeg); // the thumbnail's end marker did not cut it short
        QCOMPARE(extractor.bufferedBytes(), qsizetype(2 + 30)); // CRLF after the frame, next part
    }

    void contentLengthHeaderIsCaseInsensitive()
    {
        MjpegFrameExtractor extractor;
        const QByteArray body = Soi + QByteArray("a") + Eoi + QByteArray("tail") + Eoi;
        extractor.append("--x\r\ncontent-length:  " + QByteArray::number(body.size()) + "\r\n\r\n" +
                         body);
        QCOMPARE(extractor.takeNewestFrame().newest, body);
    }

    void everySplitPointGivesTheSameFrames()
    {
        const QByteArray one = FakeMjpegServer::testJpeg(QSize(32, 24), 1);
        const QByteArray two = FakeMjpegServer::testJpeg(QSize(32, 24), 2);
        const QByteArray stream = FakeMjpegServer::part(one) + FakeMjpegServer::part(two);
        for (int cut = 1; cut < stream.size(); cut += 7) {
            MjpegFrameExtractor extractor;
            QList<QByteArray> frames;
            for (const QByteArray &read : {stream.left(cut), stream.mid(cut)}) {
                extractor.append(read);
                const auto result = extractor.takeNewestFrame();
                if (result.frames > 0)
                    frames.append(result.newest);
            }
            QCOMPARE(frames.last(), two);
            QVERIFY(frames.size() <= 2);
            QVERIFY(frames.size() == 1 || frames.first() == one);
        }
    }

    void burstOfTenIsOneFrame()
    {
        QByteArray burst;
        for (int i = 1; i <= 10; ++i)
            burst += FakeMjpegServer::part(FakeMjpegServer::testJpeg(QSize(32, 24), i));
        MjpegFrameExtractor extractor;
        extractor.append(burst);
        const auto result = extractor.takeNewestFrame();
        QCOMPARE(result.frames, 10);
        QCOMPARE(result.newest, FakeMjpegServer::testJpeg(QSize(32, 24), 10));
        QCOMPARE(extractor.bufferedBytes(), qsizetype(2)); // the CRLF closing the last part
    }

    void boundsHoldAgainstEndlessBytes_data()
    {
        QTest::addColumn<QByteArray>("prefix");
        QTest::addColumn<QByteArray>("filler");
        QTest::newRow("no boundary, no marker") << QByteArray() << QByteArray(1 << 20, 'x');
        QTest::newRow("start marker, never an end") << Soi << QByteArray(1 << 20, 'y');
        QTest::newRow("headers without length, no marker")
            << QByteArray("--b\r\nContent-Type: image/jpeg\r\n\r\n") << QByteArray(1 << 20, 'z');
    }

    void boundsHoldAgainstEndlessBytes()
    {
        QFETCH(QByteArray, prefix);
        QFETCH(QByteArray, filler);
        MjpegFrameExtractor extractor;
        extractor.append(prefix);
        qsizetype dropped = 0;
        for (int i = 0; i < 12; ++i) { // 12 MiB in all
            extractor.append(filler);
            const auto result = extractor.takeNewestFrame();
            QCOMPARE(result.frames, 0);
            dropped += result.droppedBytes;
            QVERIFY(extractor.bufferedBytes() <=
                    MjpegFrameExtractor::MaxFrameBytes + filler.size());
        }
        QVERIFY(dropped > 0);
        // After the noise a real frame still comes through.
        const QByteArray jpeg = FakeMjpegServer::testJpeg(QSize(16, 16), 3);
        extractor.append(Eoi + FakeMjpegServer::part(jpeg));
        QCOMPARE(extractor.takeNewestFrame().newest.right(jpeg.size()), jpeg);
    }

    void absurdContentLengthFallsBackToMarkers()
    {
        MjpegFrameExtractor extractor;
        extractor.append("--b\r\nContent-Length: 999999999999\r\n\r\n" + Soi + "q" + Eoi);
        QCOMPARE(extractor.takeNewestFrame().newest, QByteArray(Soi + "q" + Eoi));
    }

    void composerCoversAndRoundsTheView()
    {
        // A 4:3 frame in a wide view: cut top and bottom equally; corners transparent.
        QImage frame(400, 300, QImage::Format_RGB32);
        frame.fill(Qt::red);
        QPainter(&frame).fillRect(0, 0, 400, 40, Qt::blue); // only the top band is blue
        FrameComposer composer;
        const QImage picture = composer.composeImage(frame, QSize(200, 100));
        QCOMPARE(picture.size(), QSize(200, 100));
        QCOMPARE(qAlpha(picture.pixel(0, 0)), 0);
        QCOMPARE(qAlpha(picture.pixel(199, 99)), 0);
        QCOMPARE(picture.pixel(100, 50), qRgb(255, 0, 0));
        QCOMPARE(picture.pixel(100, 0), qRgb(255, 0, 0)); // the blue band was cut off
        QCOMPARE(picture.pixel(0, 50), qRgb(255, 0, 0));  // edges between the corners stay opaque
    }

    void composerDecodesReducedOnlyWhenTheViewIsSmall()
    {
        const QByteArray jpeg = FakeMjpegServer::testJpeg(QSize(1920, 1080), 5);
        FrameComposer composer;
        QImage full;
        QCOMPARE(composer.compose(jpeg, QSize(1100, 620), &full).size(), QSize(1100, 620));
        QVERIFY(full.isNull()); // decoded at half size; the full frame is not at hand
        QCOMPARE(composer.compose(jpeg, QSize(1600, 900), &full).size(), QSize(1600, 900));
        QCOMPARE(full.size(), QSize(1920, 1080));
        QVERIFY(composer.compose("\xFF\xD8garbage\xFF\xD9", QSize(100, 100)).isNull());
    }

    void decoderRefusesAbsurdHeaders()
    {
        QByteArray jpeg = FakeMjpegServer::testJpeg(QSize(16, 16), 1);
        // Claim 60000 x 60000 in the frame header.
        const qsizetype sof = jpeg.indexOf(QByteArray("\xFF\xC0", 2));
        QVERIFY(sof > 0);
        jpeg[sof + 5] = char(0xEA);
        jpeg[sof + 6] = char(0x60);
        jpeg[sof + 7] = char(0xEA);
        jpeg[sof + 8] = char(0x60);
        QVERIFY(JpegDecoder::decode(jpeg).isNull());
        // A truncated frame neither crashes nor yields a wrong size.
        const QByteArray truncated = FakeMjpegServer::testJpeg(QSize(16, 16), 1).left(200);
        const QImage image = JpegDecoder::decode(truncated);
        QVERIFY(image.isNull() || image.size() == QSize(16, 16));
    }
};

LUMAURAL_TEST_MAIN(TestMjpegFrameExtractor)
#include "tst_mjpegframeextractor.moc"
