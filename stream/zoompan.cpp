#include "stream/zoompan.h"

#include <QtMath>

#include <algorithm>
#include <cmath>

void ZoomPan::setViewSize(const QSizeF &view)
{
    m_view = view;
    clampCentre();
}

void ZoomPan::setPictureSize(const QSizeF &picture)
{
    if (picture == m_picture)
        return;
    // A first picture, or one of another size, starts in its centre.
    const bool first = m_picture.isEmpty();
    if (!first && !picture.isEmpty())
        m_centre = QPointF(m_centre.x() * picture.width() / m_picture.width(),
                           m_centre.y() * picture.height() / m_picture.height());
    m_picture = picture;
    if (first)
        m_centre = QPointF(picture.width() / 2, picture.height() / 2);
    clampCentre();
}

qreal ZoomPan::baseScale() const
{
    if (m_view.isEmpty() || m_picture.isEmpty())
        return 1.0;
    const qreal x = m_view.width() / m_picture.width();
    const qreal y = m_view.height() / m_picture.height();
    return m_fill == Cover ? std::max(x, y) : std::min(x, y);
}

qreal ZoomPan::scale() const
{
    return 1.0 / (baseScale() * m_zoom);
}

void ZoomPan::clampCentre()
{
    if (m_picture.isEmpty())
        return;
    const qreal viewUnitsPerPixel = baseScale() * m_zoom;
    const auto clampAxis = [](qreal centre, qreal visible, qreal length) {
        // A picture narrower than the view on this axis stays centred on it.
        if (visible >= length)
            return length / 2;
        return std::clamp(centre, visible / 2, length - visible / 2);
    };
    m_centre.setX(clampAxis(m_centre.x(), m_view.width() / viewUnitsPerPixel, m_picture.width()));
    m_centre.setY(clampAxis(m_centre.y(), m_view.height() / viewUnitsPerPixel, m_picture.height()));
}

bool ZoomPan::zoomAt(const QPointF &viewPoint, qreal zoom)
{
    zoom = std::clamp(zoom, MinZoom, MaxZoom);
    // Steps that land within a hair of a limit land on it.
    if (std::abs(zoom - MinZoom) < 1e-6)
        zoom = MinZoom;
    if (std::abs(zoom - MaxZoom) < 1e-6)
        zoom = MaxZoom;
    if (qFuzzyCompare(zoom, m_zoom))
        return false;
    const QPointF held = viewToPicture(viewPoint);
    m_zoom = zoom;
    const QPointF fromCentre = viewPoint - QPointF(m_view.width() / 2, m_view.height() / 2);
    m_centre = held - fromCentre * scale();
    clampCentre();
    return true;
}

bool ZoomPan::stepAt(const QPointF &viewPoint, qreal steps)
{
    return zoomAt(viewPoint, m_zoom * std::pow(StepFactor, steps));
}

bool ZoomPan::panBy(const QPointF &viewDelta)
{
    const QPointF before = m_centre;
    m_centre -= viewDelta * scale();
    clampCentre();
    return m_centre != before;
}

void ZoomPan::reset()
{
    m_zoom = MinZoom;
    m_centre = QPointF(m_picture.width() / 2, m_picture.height() / 2);
}

QPointF ZoomPan::viewToPicture(const QPointF &viewPoint) const
{
    return m_centre + (viewPoint - QPointF(m_view.width() / 2, m_view.height() / 2)) * scale();
}

QPointF ZoomPan::pictureToView(const QPointF &picturePoint) const
{
    return (picturePoint - m_centre) / scale() + QPointF(m_view.width() / 2, m_view.height() / 2);
}

QRectF ZoomPan::visiblePictureRect() const
{
    const QRectF shown(viewToPicture(QPointF(0, 0)),
                       viewToPicture(QPointF(m_view.width(), m_view.height())));
    return shown.intersected(QRectF(QPointF(0, 0), m_picture));
}

QRectF ZoomPan::pictureRectInView() const
{
    return QRectF(pictureToView(QPointF(0, 0)),
                  pictureToView(QPointF(m_picture.width(), m_picture.height())));
}
