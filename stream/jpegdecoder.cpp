#include "stream/jpegdecoder.h"

#include "stream/libjpegerrors.h"

#include <jerror.h>

#include <cmath>

namespace JpegDecoder {

namespace {

// The steps that may fail inside libjpeg jump back here. They hold only
// plain locals, so the jump skips no destructor.
bool startDecompress(jpeg_decompress_struct *info, LibjpegErrors *errors, const QByteArray &jpeg,
                     const QSize &view)
{
    if (!errors->readHeader(info, jpeg.constData(), size_t(jpeg.size()), MaxPixels))
        return false;
    if (setjmp(errors->jump))
        return false;
    // Little-endian BGRX with X = 0xff is exactly QImage::Format_RGB32.
    info->out_color_space = Q_BYTE_ORDER == Q_LITTLE_ENDIAN ? JCS_EXT_BGRX : JCS_EXT_XRGB;
    info->dct_method = JDCT_ISLOW;
    // Only halving steps: libjpeg has fast paths for them, not for the other eighths.
    if (!view.isEmpty()) {
        for (unsigned int divisor : {8u, 4u, 2u}) {
            const qint64 width = (info->image_width + divisor - 1) / divisor;
            const qint64 height = (info->image_height + divisor - 1) / divisor;
            if (width >= view.width() && height >= view.height()) {
                info->scale_num = 1;
                info->scale_denom = divisor;
                break;
            }
        }
    }
    jpeg_start_decompress(info);
    return true;
}

bool readHeader(jpeg_decompress_struct *info, LibjpegErrors *errors, const QByteArray &jpeg)
{
    if (!errors->readHeader(info, jpeg.constData(), size_t(jpeg.size()), MaxPixels))
        return false;
    info->out_color_space = Q_BYTE_ORDER == Q_LITTLE_ENDIAN ? JCS_EXT_BGRX : JCS_EXT_XRGB;
    info->dct_method = JDCT_ISLOW;
    return true;
}

// Output columns [*left, *left + *width) and rows [top, bottom) of the
// reduced frame; the columns come back widened to whole blocks.
bool startPart(jpeg_decompress_struct *info, LibjpegErrors *errors, JDIMENSION *left,
               JDIMENSION *width, JDIMENSION top)
{
    if (setjmp(errors->jump))
        return false;
    jpeg_start_decompress(info);
    if (*left > 0 || *width < info->output_width)
        jpeg_crop_scanline(info, left, width);
    else
        *width = info->output_width;
    return top == 0 || jpeg_skip_scanlines(info, top) == top;
}

bool readPart(jpeg_decompress_struct *info, LibjpegErrors *errors, QImage *image)
{
    if (setjmp(errors->jump))
        return false;
    for (int y = 0; y < image->height(); ++y) {
        JSAMPROW row = image->scanLine(y);
        if (jpeg_read_scanlines(info, &row, 1) != 1)
            return false;
    }
    // The rows below the part are never decoded.
    jpeg_abort_decompress(info);
    return true;
}

} // namespace

QImage decode(const QByteArray &jpeg, const QSize &view, bool *reduced)
{
    if (reduced)
        *reduced = false;
    if (jpeg.isEmpty())
        return {};
    jpeg_decompress_struct info;
    LibjpegErrors errors;
    errors.attachTo(&info);
    jpeg_create_decompress(&info);

    QImage image;
    errors.base.msg_code = 0;
    if (startDecompress(&info, &errors, jpeg, view)) {
        image = QImage(int(info.output_width), int(info.output_height), QImage::Format_RGB32);
        if (reduced)
            *reduced =
                info.output_width != info.image_width || info.output_height != info.image_height;
        if (image.isNull() || !errors.readRows(&info, image.bits(), image.bytesPerLine()))
            image = QImage();
    }
    const bool unsupportedColours = errors.base.msg_code == JERR_CONVERSION_NOTIMPL;
    jpeg_destroy_decompress(&info);
    if (image.isNull() && unsupportedColours) {
        // Colour spaces libjpeg cannot turn into RGB (CMYK, for one) go the generic way.
        QImage fallback = QImage::fromData(jpeg, "JPEG");
        if (!fallback.isNull() && qint64(fallback.width()) * fallback.height() <= MaxPixels)
            return fallback;
    }
    return image;
}

Region decodeRegion(const QByteArray &jpeg, const std::function<QRectF(const QSize &)> &partOf,
                    const QSize &minimum)
{
    Region region;
    if (jpeg.isEmpty())
        return region;
    jpeg_decompress_struct info;
    LibjpegErrors errors;
    errors.attachTo(&info);
    jpeg_create_decompress(&info);
    errors.base.msg_code = 0;
    if (!readHeader(&info, &errors, jpeg)) {
        jpeg_destroy_decompress(&info);
        return region;
    }
    region.frameSize = QSize(int(info.image_width), int(info.image_height));
    const QRectF frame(QPointF(0, 0), QSizeF(region.frameSize));
    QRectF part = partOf(region.frameSize).intersected(frame);
    if (part.isEmpty())
        part = frame;

    int divisor = 1;
    for (int candidate : {8, 4, 2}) {
        if (part.width() / candidate >= minimum.width() &&
            part.height() / candidate >= minimum.height()) {
            divisor = candidate;
            break;
        }
    }
    info.scale_num = 1;
    info.scale_denom = unsigned(divisor);
    const int outWidth = (region.frameSize.width() + divisor - 1) / divisor;
    const int outHeight = (region.frameSize.height() + divisor - 1) / divisor;
    const QRectF scaled(part.x() / divisor, part.y() / divisor, part.width() / divisor,
                        part.height() / divisor);
    JDIMENSION left = JDIMENSION(qBound(0, int(std::floor(scaled.left())), outWidth - 1));
    JDIMENSION width = JDIMENSION(qBound(1, int(std::ceil(scaled.right())), outWidth) - int(left));
    const int top = qBound(0, int(std::floor(scaled.top())), outHeight - 1);
    const int bottom = qBound(top + 1, int(std::ceil(scaled.bottom())), outHeight);

    if (startPart(&info, &errors, &left, &width, JDIMENSION(top))) {
        region.image = QImage(int(width), bottom - top, QImage::Format_RGB32);
        if (region.image.isNull() || !readPart(&info, &errors, &region.image))
            region.image = QImage();
    }
    const bool unsupportedColours = errors.base.msg_code == JERR_CONVERSION_NOTIMPL;
    jpeg_destroy_decompress(&info);
    if (region.image.isNull() && unsupportedColours) {
        // Decoded whole the generic way (CMYK, for one); the part is cut when drawn.
        region.image = decode(jpeg);
        region.shown = part;
        region.whole = !region.image.isNull();
        return region;
    }
    if (region.image.isNull())
        return region;
    region.shown = scaled.translated(-double(left), -double(top));
    region.whole = region.image.size() == region.frameSize;
    return region;
}

} // namespace JpegDecoder
