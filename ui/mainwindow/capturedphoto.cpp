#include "ui/mainwindow/capturedphoto.h"

#include "stream/jpegdecoder.h"

#include <QBuffer>
#include <QImageWriter>
#include <QPainter>
#include <QPainterPath>

CapturedPhoto CapturedPhoto::fromFrame(const QImage &frame)
{
    CapturedPhoto photo;
    if (frame.isNull())
        return photo;
    QBuffer buffer(&photo.m_jpeg);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setQuality(JpegQuality);
    if (!writer.write(frame)) {
        photo.m_jpeg.clear();
        return photo;
    }
    photo.m_preview = frame.width() > PreviewWidth
                          ? frame.scaledToWidth(PreviewWidth, Qt::SmoothTransformation)
                          : frame;
    return photo;
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
