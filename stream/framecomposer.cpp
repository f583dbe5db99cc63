#include "stream/framecomposer.h"

#include "stream/jpegdecoder.h"
#include "stream/zoompan.h"

#include <QPainter>
#include <QPainterPath>
#include <QtMath>

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

QSize devicePixels(const QSize &size, qreal devicePixelRatio)
{
    return QSize(qRound(size.width() * devicePixelRatio), qRound(size.height() * devicePixelRatio));
}

} // namespace

QImage FrameComposer::compose(const QByteArray &jpeg, const QSize &logicalTarget, QImage *fullFrame,
                              qreal devicePixelRatio, const ImageOrientation &orientation,
                              ZoomPan *zoom)
{
    if (fullFrame)
        *fullFrame = QImage();
    const QSize target = devicePixels(logicalTarget, devicePixelRatio);
    if (target.isEmpty())
        return {};
    // Everything up to the last step happens the camera's way up.
    const QSize cameraTarget = orientation.swapsSides() ? target.transposed() : target;
    ZoomPan cover; // a view that is never zoomed shows what 1x shows
    ZoomPan &view = zoom ? *zoom : cover;
    view.setViewSize(QSizeF(logicalTarget));
    QRectF wanted; // in the camera's pixels
    const auto partOf = [&](const QSize &frame) {
        view.setPictureSize(QSizeF(orientation.mapSize(frame)));
        const QRectF shown = view.visiblePictureRect();
        wanted = QRectF(orientation.unmapPoint(shown.topLeft(), QSizeF(frame)),
                        orientation.unmapPoint(shown.bottomRight(), QSizeF(frame)))
                     .normalized();
        return wanted;
    };
    const JpegDecoder::Region region = JpegDecoder::decodeRegion(jpeg, partOf, cameraTarget);
    if (region.image.isNull() || region.shown.isEmpty())
        return {};
    if (fullFrame && region.whole)
        *fullFrame = region.image;

    QImage canvas;
    if (region.whole && region.image.size() == cameraTarget && region.shown == wanted &&
        wanted == QRectF(region.image.rect())) {
        // Camera and view agree: the decoded pixels are the canvas (RGB32 is
        // premultiplied ARGB with alpha 0xff, so only the label changes).
        canvas = region.image;
        canvas.reinterpretAsFormat(QImage::Format_ARGB32_Premultiplied);
    } else {
        canvas = QImage(cameraTarget, QImage::Format_ARGB32_Premultiplied);
        QPainter painter(&canvas);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(QRectF(canvas.rect()), region.image, region.shown);
    }
    // Turned at the view's size: a fraction of the frame's pixels.
    canvas = orientation.apply(canvas);
    roundCorners(canvas, CornerRadius * devicePixelRatio);
    canvas.setDevicePixelRatio(devicePixelRatio);
    return canvas;
}

QImage FrameComposer::composeImage(const QImage &frame, const QSize &logicalTarget,
                                   qreal devicePixelRatio)
{
    const QSize target = devicePixels(logicalTarget, devicePixelRatio);
    if (frame.isNull() || target.isEmpty())
        return {};
    // Cover the target; the overhang is cut equally on both sides.
    const QSize scaled = frame.size().scaled(target, Qt::KeepAspectRatioByExpanding);
    const QPoint offset((target.width() - scaled.width()) / 2,
                        (target.height() - scaled.height()) / 2);

    QImage canvas;
    if (frame.size() == target && frame.format() == QImage::Format_RGB32) {
        // Camera and view agree: the decoded pixels are the canvas (RGB32 is
        // premultiplied ARGB with alpha 0xff, so only the label changes).
        canvas = frame;
        canvas.reinterpretAsFormat(QImage::Format_ARGB32_Premultiplied);
    } else {
        canvas = QImage(target, QImage::Format_ARGB32_Premultiplied);
        QPainter painter(&canvas);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(QRect(offset, scaled), frame);
    }
    roundCorners(canvas, CornerRadius * devicePixelRatio);
    canvas.setDevicePixelRatio(devicePixelRatio);
    return canvas;
}

void FrameComposer::roundCorners(QImage &image, qreal radius)
{
    const int width = image.width();
    const int height = image.height();
    if (m_mask.size() != image.size() || m_maskRadius != radius) {
        m_maskRadius = radius;
        m_mask = QImage(image.size(), QImage::Format_Alpha8);
        m_mask.fill(0);
        QPainter painter(&m_mask);
        painter.setRenderHint(QPainter::Antialiasing);
        QPainterPath path;
        path.addRoundedRect(QRectF(0, 0, width, height), radius, radius);
        painter.fillPath(path, Qt::black);
    }
    // Away from the corners the mask is fully opaque; only the corner squares need work.
    const int corner = qCeil(radius) + 1;
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
