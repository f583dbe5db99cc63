#include "ui/mainwindow/capturedphoto.h"

#include "stream/jpegdecoder.h"
#include "ui/mainwindow/jpegencoder.h"

#include <QPainter>
#include <QPainterPath>

CapturedPhoto CapturedPhoto::fromFrame(const QImage &frame)
{
    const QByteArray jpeg = encode(frame);
    return jpeg.isEmpty() ? CapturedPhoto() : CapturedPhoto(jpeg, makePreview(frame));
}

QByteArray CapturedPhoto::encode(const QImage &frame)
{
    return JpegEncoder::encode(frame, JpegQuality);
}

QImage CapturedPhoto::makePreview(const QImage &frame)
{
    return frame.width() > PreviewWidth
               ? frame.scaledToWidth(PreviewWidth, Qt::SmoothTransformation)
               : frame;
}

QImage CapturedPhoto::fullImage() const
{
    return JpegDecoder::decode(m_jpeg);
}

QPixmap CapturedPhoto::thumbnail(const QSize &size, qreal ratio) const
{
    CachedThumbnail &cached = m_thumbnails[checked ? 1 : 0];
    if (cached.size != size || cached.ratio != ratio || cached.pixmap.isNull()) {
        QImage image = roundedThumbnail(m_preview, size * ratio, qRound(ThumbnailRadius * ratio));
        image.setDevicePixelRatio(ratio);
        cached = {size, ratio, QPixmap::fromImage(std::move(image))};
    }
    return cached.pixmap;
}

QImage CapturedPhoto::coverCrop(const QImage &image, const QSize &size)
{
    if (image.isNull() || size.isEmpty())
        return {};
    const QImage scaled =
        image.scaled(size, Qt::KeepAspectRatioByExpanding, Qt::SmoothTransformation);
    const int excessX = scaled.width() - size.width();
    const int excessY = scaled.height() - size.height();
    return scaled.copy(excessX < 2 ? 0 : excessX / 2, excessY < 2 ? 0 : excessY / 2, size.width(),
                       size.height());
}

QImage CapturedPhoto::roundedThumbnail(const QImage &source, const QSize &size, int radius)
{
    QImage canvas(size.expandedTo(QSize(1, 1)), QImage::Format_ARGB32_Premultiplied);
    canvas.fill(Qt::transparent);
    if (source.isNull() || size.isEmpty())
        return canvas;
    const QImage scaled =
        source.scaled(size, Qt::KeepAspectRatioByExpanding, Qt::SmoothTransformation);
    QPainter painter(&canvas);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath clip;
    clip.addRoundedRect(QRectF(QPointF(0, 0), QSizeF(size)), radius, radius);
    painter.setClipPath(clip);
    painter.drawImage(
        QPoint((size.width() - scaled.width()) / 2, (size.height() - scaled.height()) / 2), scaled);
    return canvas;
}
