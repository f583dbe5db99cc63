#include "stream/jpegdecoder.h"

#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

#include <jerror.h>

namespace JpegDecoder {

namespace {

struct ErrorManager
{
    jpeg_error_mgr base;
    std::jmp_buf jump;
};

void onFatalError(j_common_ptr info)
{
    std::longjmp(reinterpret_cast<ErrorManager *>(info->err)->jump, 1);
}

void onMessage(j_common_ptr) {}

// The two steps that may fail inside libjpeg jump back here. They hold only
// plain locals, so the jump skips no destructor.
bool startDecompress(jpeg_decompress_struct *info, ErrorManager *errors, const QByteArray &jpeg,
                     const QSize &view)
{
    if (setjmp(errors->jump))
        return false;
    jpeg_mem_src(info, reinterpret_cast<const unsigned char *>(jpeg.constData()),
                 static_cast<unsigned long>(jpeg.size()));
    if (jpeg_read_header(info, TRUE) != JPEG_HEADER_OK)
        return false;
    if (qint64(info->image_width) * info->image_height > MaxPixels)
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

bool readRows(jpeg_decompress_struct *info, ErrorManager *errors, uchar *bits,
              qsizetype bytesPerLine)
{
    if (setjmp(errors->jump))
        return false;
    while (info->output_scanline < info->output_height) {
        JSAMPROW row = bits + qsizetype(info->output_scanline) * bytesPerLine;
        jpeg_read_scanlines(info, &row, 1);
    }
    jpeg_finish_decompress(info);
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
    ErrorManager errors;
    info.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = onFatalError;
    errors.base.output_message = onMessage;
    jpeg_create_decompress(&info);

    QImage image;
    errors.base.msg_code = 0;
    if (startDecompress(&info, &errors, jpeg, view)) {
        image = QImage(int(info.output_width), int(info.output_height), QImage::Format_RGB32);
        if (reduced)
            *reduced = info.output_width != info.image_width;
        if (image.isNull() || !readRows(&info, &errors, image.bits(), image.bytesPerLine()))
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

} // namespace JpegDecoder
