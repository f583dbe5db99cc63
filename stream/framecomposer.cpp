#include "stream/framecomposer.h"

#include <QBuffer>
#include <QImageReader>
#include <QPainter>
#include <QPainterPath>

namespace {

// Multiplies a premultiplied pixel by a coverage 0..255.
inline QRgb scaledByCoverage(QRgb pixel, uint coverage)
{
    uint redBlue = (pixel & 0xff00ff) * coverage;
    redBlue = ((redBlue + ((redBlue >> 8) & 0xff00ff) + 0x800080) >> 8) & 0xff00ff;
    uint alphaGreen = ((pixel >> 8) & 0xff00ff) * coverage;
    alphaGreen = (alphaGreen + ((alphaGreen >> 8) & 0xff00ff) + 0x800080) & 0xff00ff00;
    return alphaGreen | redBlue;
}

} // namespace

QImage FrameComposer::decodeFull(const QByteArray &jpeg)
{
    return QImage::fromData(jpeg, "JPEG");
}

QImage FrameComposer::compose(const QByteArray &jpeg, const QSize &target)
{
    QByteArray bytes = jpeg; // shares the data; QBuffer wants a non-const array
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "JPEG");
    const QSize full = reader.size();
    if (!full.isValid() || full.isEmpty() || target.isEmpty())
        return {};

    // Cover the target; the overhang is cut equally on both sides.
    const QSize scaled = full.scaled(target, Qt::KeepAspectRatioByExpanding);
    const QRect visible(-((target.width() - scaled.width()) / 2),
                        -((target.height() - scaled.height()) / 2), target.width(),
                        target.height());
    // The decoder scales in the DCT domain and crops, so only the pixels shown are produced.
    if (scaled != full)
        reader.setScaledSize(scaled);
    if (visible != QRect(QPoint(0, 0), scaled))
        reader.setScaledClipRect(visible);

    QImage image = reader.read();
    if (image.isNull())
        return {};
    if (image.size() != target)
        image = image.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    if (image.format() == QImage::Format_RGB32)
        image.reinterpretAsFormat(QImage::Format_ARGB32_Premultiplied); // same bytes, alpha 0xff
    else
        image.convertTo(QImage::Format_ARGB32_Premultiplied);
    roundCorners(image);
    return image;
}

void FrameComposer::roundCorners(QImage &image)
{
    const int width = image.width();
    const int height = image.height();
    if (m_mask.size() != image.size()) {
        m_mask = QImage(image.size(), QImage::Format_Alpha8);
        m_mask.fill(0);
        QPainter painter(&m_mask);
        painter.setRenderHint(QPainter::Antialiasing);
        QPainterPath path;
        path.addRoundedRect(QRectF(0, 0, width, height), CornerRadius, CornerRadius);
        painter.fillPath(path, Qt::black);
    }
    // Away from the corners the mask is fully opaque; only the corner squares need work.
    const int corner = CornerRadius + 1;
    const int leftEnd = qMin(corner, width);
    const int rightStart = qMax(leftEnd, width - corner);
    for (int y = 0; y < height; ++y) {
        if (y >= corner && y < height - corner)
            continue;
        auto *pixels = reinterpret_cast<QRgb *>(image.scanLine(y));
        const uchar *coverage = m_mask.constScanLine(y);
        for (int x = 0; x < leftEnd; ++x)
            pixels[x] = scaledByCoverage(pixels[x], coverage[x]);
        for (int x = rightStart; x < width; ++x)
            pixels[x] = scaledByCoverage(pixels[x], coverage[x]);
    }
}
