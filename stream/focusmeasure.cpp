#include "stream/focusmeasure.h"

#include "stream/jpegdecoder.h"
#include "stream/libjpegerrors.h"

namespace FocusMeasure {

namespace {

// The steps that may fail inside libjpeg jump back to their own setjmp;
// they hold only plain locals, so the jump skips no destructor.
bool startDecompress(jpeg_decompress_struct *info, LibjpegErrors *errors, const QByteArray &jpeg,
                     int reduction)
{
    if (!errors->readHeader(info, jpeg.constData(), size_t(jpeg.size()), JpegDecoder::MaxPixels))
        return false;
    if (setjmp(errors->jump))
        return false;
    // The luma plane is all the measure needs; colour is not even converted.
    info->out_color_space = JCS_GRAYSCALE;
    info->scale_num = 1;
    info->scale_denom = unsigned(reduction);
    info->dct_method = JDCT_IFAST;
    info->do_fancy_upsampling = FALSE;
    jpeg_start_decompress(info);
    return info->output_components == 1;
}

} // namespace

QImage reducedBrightness(const QByteArray &jpeg, int reduction)
{
    if (jpeg.isEmpty() || (reduction != 1 && reduction != 2 && reduction != 4 && reduction != 8))
        return {};
    jpeg_decompress_struct info;
    LibjpegErrors errors;
    errors.attachTo(&info);
    jpeg_create_decompress(&info);
    QImage image;
    if (startDecompress(&info, &errors, jpeg, reduction)) {
        image = QImage(int(info.output_width), int(info.output_height), QImage::Format_Grayscale8);
        if (image.isNull() || !errors.readRows(&info, image.bits(), image.bytesPerLine()))
            image = QImage();
    }
    jpeg_destroy_decompress(&info);
    return image;
}

double laplacianVariance(const QImage &brightness)
{
    const QImage gray = brightness.format() == QImage::Format_Grayscale8
                            ? brightness
                            : brightness.convertToFormat(QImage::Format_Grayscale8);
    const int width = gray.width();
    const int height = gray.height();
    if (width < 3 || height < 3)
        return 0;
    // Sums in integers: exact, and the values stay far below 2^63.
    qint64 sum = 0;
    qint64 sumOfSquares = 0;
    for (int y = 1; y < height - 1; ++y) {
        const uchar *above = gray.constScanLine(y - 1);
        const uchar *row = gray.constScanLine(y);
        const uchar *below = gray.constScanLine(y + 1);
        for (int x = 1; x < width - 1; ++x) {
            const int laplacian =
                4 * int(row[x]) - int(row[x - 1]) - int(row[x + 1]) - int(above[x]) - int(below[x]);
            sum += laplacian;
            sumOfSquares += qint64(laplacian) * laplacian;
        }
    }
    const double count = double(width - 2) * double(height - 2);
    const double mean = double(sum) / count;
    return double(sumOfSquares) / count - mean * mean;
}

double score(const QByteArray &jpeg)
{
    const QImage brightness = reducedBrightness(jpeg);
    return brightness.isNull() ? -1.0 : laplacianVariance(brightness);
}

int choose(const QList<double> &scores)
{
    double best = -1;
    for (double s : scores)
        best = qMax(best, s);
    if (best < 0)
        return -1;
    for (int i = int(scores.size()) - 1; i >= 0; --i) {
        if (scores.at(i) >= 0 && scores.at(i) >= best * (1.0 - Tolerance))
            return i;
    }
    return -1;
}

} // namespace FocusMeasure
