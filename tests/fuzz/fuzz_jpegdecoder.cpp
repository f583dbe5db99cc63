// The JPEG decoder on arbitrary bytes, whole and reduced for a view: no
// crash, no picture above the pixel limit, and a reduced picture still
// covers its view.
#include "stream/jpegdecoder.h"

#include "fuzzsupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    using FuzzSupport::check;
    FuzzSupport::setUp();
    const QByteArray jpeg = FuzzSupport::bytesOf(data, size);
    const auto checkImage = [](const QImage &image) {
        if (image.isNull())
            return;
        check(image.format() == QImage::Format_RGB32, "decoded to another format");
        check(qint64(image.width()) * image.height() <= JpegDecoder::MaxPixels,
              "picture above the pixel limit");
    };
    const QImage full = JpegDecoder::decode(jpeg);
    checkImage(full);
    const QList<QSize> views = full.isNull() ? QList<QSize>{QSize(16, 16)}
                                             : QList<QSize>{full.size() / 2, full.size() / 3,
                                                            full.size() / 8, QSize(1, 1)};
    for (const QSize &view : views) {
        bool reduced = false;
        const QImage image = JpegDecoder::decode(jpeg, view, &reduced);
        checkImage(image);
        if (full.isNull() || image.isNull())
            continue;
        check(image.width() <= full.width() && image.height() <= full.height(),
              "reduced picture larger than the whole one");
        check(reduced == (image.size() != full.size()), "reduction reported wrongly");
        if (reduced)
            check(image.width() >= view.width() && image.height() >= view.height(),
                  "reduced picture does not cover its view");
    }
    return 0;
}
