#include "ui/mainwindow/jpegencoder.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>

#include <jpeglib.h>

namespace JpegEncoder {

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

// Everything that may fail inside libjpeg jumps back here; it holds only
// plain locals, so the jump skips no destructor.
bool compress(jpeg_compress_struct *info, ErrorManager *errors, const QImage &image, int quality,
              unsigned char **out, unsigned long *size)
{
    if (setjmp(errors->jump))
        return false;
    jpeg_mem_dest(info, out, size);
    info->image_width = JDIMENSION(image.width());
    info->image_height = JDIMENSION(image.height());
    info->input_components = 4;
    // Little-endian Format_RGB32 is B, G, R, X in memory.
    info->in_color_space = Q_BYTE_ORDER == Q_LITTLE_ENDIAN ? JCS_EXT_BGRX : JCS_EXT_XRGB;
    jpeg_set_defaults(info);
    jpeg_set_quality(info, quality, TRUE);
    info->dct_method = JDCT_ISLOW;
    jpeg_start_compress(info, TRUE);
    while (info->next_scanline < info->image_height) {
        auto row = const_cast<JSAMPROW>(image.constScanLine(int(info->next_scanline)));
        jpeg_write_scanlines(info, &row, 1);
    }
    jpeg_finish_compress(info);
    return true;
}

} // namespace

QByteArray encode(const QImage &image, int quality)
{
    if (image.isNull())
        return {};
    const QImage pixels =
        image.format() == QImage::Format_RGB32 || image.format() == QImage::Format_ARGB32
            ? image
            : image.convertToFormat(QImage::Format_RGB32);
    jpeg_compress_struct info;
    ErrorManager errors;
    info.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = onFatalError;
    errors.base.output_message = onMessage;
    jpeg_create_compress(&info);
    unsigned char *out = nullptr;
    unsigned long size = 0;
    QByteArray jpeg;
    if (compress(&info, &errors, pixels, quality, &out, &size))
        jpeg = QByteArray(reinterpret_cast<const char *>(out), qsizetype(size));
    jpeg_destroy_compress(&info);
    std::free(out);
    return jpeg;
}

} // namespace JpegEncoder
