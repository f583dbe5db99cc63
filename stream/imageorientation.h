#pragma once

#include <QImage>
#include <QPoint>
#include <QPointF>
#include <QSize>
#include <QTransform>

// How the camera's picture is turned for the user: a clockwise rotation in
// quarter turns, then, optionally, a left-right mirror of the turned picture.
// The otoscope is held at any angle, so its picture often arrives upside down
// or mirrored relative to how the practitioner thinks about the ear.
//
// The steps act on what the user sees: rotateClockwise() always turns the
// shown picture clockwise and toggleMirror() always flips it left to right,
// whatever was chosen before.
class ImageOrientation
{
public:
    ImageOrientation() = default;
    // `degrees` is rounded to the nearest quarter turn, any sign or size.
    ImageOrientation(int degrees, bool mirrored);

    // 0, 90, 180 or 270: the clockwise turn before the mirror.
    int rotation() const { return m_quarterTurns * 90; }
    bool isMirrored() const { return m_mirrored; }
    bool isIdentity() const { return m_quarterTurns == 0 && !m_mirrored; }
    // The picture's width and height trade places.
    bool swapsSides() const { return m_quarterTurns % 2 == 1; }

    void rotateClockwise();
    void rotateCounterclockwise();
    void toggleMirror();

    // Size of a `source`-sized picture once turned.
    QSize mapSize(const QSize &source) const;
    // Where pixel `pixel` of a `source`-sized picture lands in the turned one.
    QPoint mapPixel(const QPoint &pixel, const QSize &source) const;
    // The same for positions (pixel edges at whole numbers), with the inverse.
    QPointF mapPoint(const QPointF &point, const QSizeF &source) const;
    QPointF unmapPoint(const QPointF &point, const QSizeF &source) const;
    // Maps positions of a `source`-sized picture onto the turned one.
    QTransform transform(const QSizeF &source) const;

    // `image` turned pixel for pixel, at its full size, in one pass. The
    // identity returns `image` itself (shared, not copied).
    QImage apply(const QImage &image) const;

    bool operator==(const ImageOrientation &other) const
    {
        return m_quarterTurns == other.m_quarterTurns && m_mirrored == other.m_mirrored;
    }
    bool operator!=(const ImageOrientation &other) const { return !(*this == other); }

private:
    int m_quarterTurns = 0; // clockwise, 0..3
    bool m_mirrored = false;
};
