#pragma once

#include <QPointF>
#include <QRectF>
#include <QSizeF>

// Zoom (1x to 4x) and pan of a picture shown in a view, as plain arithmetic.
// At 1x the picture fills the view as the view's own rule says (`Cover`: no
// gap, the overhang cut equally on both sides; `Fit`: whole, with bars);
// zooming enlarges it around a point that stays put under the pointer, and
// panning moves it with the pointer, never so far that an edge comes away
// from the view's side when the picture is larger than the view there.
//
// Positions in the view are in the view's coordinates; positions in the
// picture in the picture's pixels (edges at whole numbers).
class ZoomPan
{
public:
    enum Fill { Cover, Fit };

    static constexpr qreal MinZoom = 1.0;
    static constexpr qreal MaxZoom = 4.0;
    // One notch of a mouse wheel or one key press.
    static constexpr qreal StepFactor = 1.25;

    explicit ZoomPan(Fill fill = Cover) : m_fill(fill) {}

    // The view's size and the picture's size. A change of either keeps the
    // zoom and the picture point in the view's centre, clamped anew.
    void setViewSize(const QSizeF &view);
    void setPictureSize(const QSizeF &picture);
    QSizeF viewSize() const { return m_view; }
    QSizeF pictureSize() const { return m_picture; }

    qreal zoom() const { return m_zoom; }
    bool isZoomed() const { return m_zoom > MinZoom; }
    // The picture point in the view's centre.
    QPointF centre() const { return m_centre; }

    // Sets the zoom (clamped to 1..4) keeping the picture point under
    // `viewPoint` where it is. False when nothing changed.
    bool zoomAt(const QPointF &viewPoint, qreal zoom);
    // Multiplies the zoom by `StepFactor` to the power `steps` (negative
    // steps zoom out) around `viewPoint`.
    bool stepAt(const QPointF &viewPoint, qreal steps);
    // Moves the picture by `viewDelta` (the pointer's movement), clamped.
    bool panBy(const QPointF &viewDelta);
    // Back to 1x, centred.
    void reset();

    // Picture pixels per view unit at the current zoom.
    qreal scale() const;
    QPointF viewToPicture(const QPointF &viewPoint) const;
    QPointF pictureToView(const QPointF &picturePoint) const;
    // The part of the picture inside the view (clipped to the picture).
    QRectF visiblePictureRect() const;
    // Where the whole picture lies in the view's coordinates.
    QRectF pictureRectInView() const;

private:
    qreal baseScale() const;
    void clampCentre();

    Fill m_fill;
    QSizeF m_view;
    QSizeF m_picture;
    qreal m_zoom = MinZoom;
    QPointF m_centre;
};
