#pragma once

#include <csetjmp>
#include <cstddef>
#include <cstdio>

#include <jpeglib.h>

// libjpeg reports a fatal error by calling error_exit, which must not return:
// the decoder and the encoder jump back to a setjmp point instead, and stay
// quiet about warnings a damaged stream frame would otherwise print.
struct LibjpegErrors
{
    jpeg_error_mgr base;
    std::jmp_buf jump;

    // Installs the handlers on `info` (a compress or decompress struct).
    template <typename Info> void attachTo(Info *info)
    {
        info->err = jpeg_std_error(&base);
        base.error_exit = [](j_common_ptr common) {
            std::longjmp(reinterpret_cast<LibjpegErrors *>(common->err)->jump, 1);
        };
        base.output_message = [](j_common_ptr) {};
    }

    // Points `info` at `size` bytes in memory and reads the header; false on
    // damage or when the picture holds more than `maxPixels`.
    bool readHeader(jpeg_decompress_struct *info, const void *data, std::size_t size,
                    long long maxPixels)
    {
        if (setjmp(jump))
            return false;
        jpeg_mem_src(info, static_cast<const unsigned char *>(data),
                     static_cast<unsigned long>(size));
        return jpeg_read_header(info, TRUE) == JPEG_HEADER_OK &&
               static_cast<long long>(info->image_width) * info->image_height <= maxPixels;
    }

    // Decodes the remaining rows of a started decompression into `bits`;
    // false when libjpeg gave up on the data.
    bool readRows(jpeg_decompress_struct *info, unsigned char *bits, std::ptrdiff_t bytesPerLine)
    {
        if (setjmp(jump))
            return false;
        while (info->output_scanline < info->output_height) {
            JSAMPROW row = bits + std::ptrdiff_t(info->output_scanline) * bytesPerLine;
            jpeg_read_scanlines(info, &row, 1);
        }
        jpeg_finish_decompress(info);
        return true;
    }
};
