#include "stream/imageorientation.h"

#include <QtMath>

#include <algorithm>
#include <cmath>

ImageOrientation::ImageOrientation(int degrees, bool mirrored) : m_mirrored(mirrored)
{
    const int quarters = int(std::lround(degrees / 90.0)) % 4;
    m_quarterTurns = quarters < 0 ? quarters + 4 : quarters;
}

void ImageOrientation::rotateClockwise()
{
    // Under the mirror a clockwise turn of the picture is a counterclockwise
    // turn of the camera's picture.
    m_quarterTurns = (m_quarterTurns + (m_mirrored ? 3 : 1)) % 4;
}

void ImageOrientation::rotateCounterclockwise()
{
    m_quarterTurns = (m_quarterTurns + (m_mirrored ? 1 : 3)) % 4;
}

void ImageOrientation::toggleMirror()
{
    m_mirrored = !m_mirrored;
}

QSize ImageOrientation::mapSize(const QSize &source) const
{
    return swapsSides() ? source.transposed() : source;
}

QPointF ImageOrientation::mapPoint(const QPointF &point, const QSizeF &source) const
{
    const qreal w = source.width(), h = source.height();
    QPointF turned;
    switch (m_quarterTurns) {
    case 1:
        turned = QPointF(h - point.y(), point.x());
        break;
    case 2:
        turned = QPointF(w - point.x(), h - point.y());
        break;
    case 3:
        turned = QPointF(point.y(), w - point.x());
        break;
    default:
        turned = point;
    }
    if (m_mirrored)
        turned.setX((swapsSides() ? h : w) - turned.x());
    return turned;
}

QPointF ImageOrientation::unmapPoint(const QPointF &point, const QSizeF &source) const
{
    const qreal w = source.width(), h = source.height();
    const qreal u = m_mirrored ? (swapsSides() ? h : w) - point.x() : point.x();
    const qreal v = point.y();
    switch (m_quarterTurns) {
    case 1:
        return {v, h - u};
    case 2:
        return {w - u, h - v};
    case 3:
        return {w - v, u};
    default:
        return {u, v};
    }
}

QPoint ImageOrientation::mapPixel(const QPoint &pixel, const QSize &source) const
{
    // A pixel is the unit square at its coordinates; its centre maps to the
    // centre of the pixel it lands on.
    const QPointF centre = mapPoint(QPointF(pixel) + QPointF(0.5, 0.5), QSizeF(source));
    return {qFloor(centre.x()), qFloor(centre.y())};
}

QTransform ImageOrientation::transform(const QSizeF &source) const
{
    const QPointF origin = mapPoint(QPointF(0, 0), source);
    const QPointF xAxis = mapPoint(QPointF(1, 0), source) - origin;
    const QPointF yAxis = mapPoint(QPointF(0, 1), source) - origin;
    return QTransform(xAxis.x(), xAxis.y(), yAxis.x(), yAxis.y(), origin.x(), origin.y());
}

QImage ImageOrientation::apply(const QImage &image) const
{
    if (isIdentity() || image.isNull())
        return image;
    QImage source = image;
    if (source.depth() != 32)
        source = source.convertToFormat(source.hasAlphaChannel() ? QImage::Format_ARGB32
                                                                 : QImage::Format_RGB32);
    const QSize size = source.size();
    QImage turned(mapSize(size), source.format());
    if (turned.isNull())
        return {};
    turned.setDevicePixelRatio(source.devicePixelRatio());

    // Every pixel of the turned picture reads the camera pixel that lands on
    // it; walking the turned picture along a row walks the camera's picture by
    // a fixed step, along a row or a column.
    auto sourceOf = [&](int x, int y) {
        const QPointF centre = unmapPoint(QPointF(x + 0.5, y + 0.5), QSizeF(size));
        return QPoint(qFloor(centre.x()), qFloor(centre.y()));
    };
    const QPoint start = sourceOf(0, 0);
    const QPoint alongRow = sourceOf(1, 0) - start;
    const QPoint alongColumn = sourceOf(0, 1) - start;
    const qsizetype sourceLine = source.bytesPerLine() / 4;
    const qsizetype stepX = alongRow.x() + alongRow.y() * sourceLine;
    const qsizetype stepY = alongColumn.x() + alongColumn.y() * sourceLine;
    const auto *from = reinterpret_cast<const quint32 *>(source.constBits()) + start.x() +
                       qsizetype(start.y()) * sourceLine;

    // In tiles, so that the column being read stays in the cache.
    constexpr int Tile = 32;
    const int width = turned.width();
    const int height = turned.height();
    for (int tileY = 0; tileY < height; tileY += Tile) {
        const int endY = std::min(tileY + Tile, height);
        for (int tileX = 0; tileX < width; tileX += Tile) {
            const int endX = std::min(tileX + Tile, width);
            for (int y = tileY; y < endY; ++y) {
                auto *to = reinterpret_cast<quint32 *>(turned.scanLine(y));
                const quint32 *read = from + tileX * stepX + y * stepY;
                for (int x = tileX; x < endX; ++x, read += stepX)
                    to[x] = *read;
            }
        }
    }
    return turned;
}
