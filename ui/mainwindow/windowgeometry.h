#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

// Size and placement arithmetic of the main window, kept apart from the widget.
struct WindowGeometry
{
    QSize minimum;
    QSize size;

    // Start size for a screen whose available area is `available`; without a
    // screen (an invalid rectangle) the reference 1600×900, minimum 1100×720.
    static WindowGeometry forAvailableArea(const QRect &available);
    // Top-left corner that centres a window of `window` size in `available`.
    static QPoint centeredTopLeft(const QRect &available, const QSize &window);
};
