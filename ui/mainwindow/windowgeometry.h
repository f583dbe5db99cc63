#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

// Size and placement arithmetic of the main window, kept apart from the widget.
struct WindowGeometry
{
    // What the window manager's title bar and frame add around the window;
    // the available area holds them too.
    static constexpr int FrameAllowance = 40;
    static constexpr QSize ReferenceMinimum{1100, 720};
    static constexpr QSize ReferenceSize{1600, 900};

    QSize minimum;
    QSize size;
    // Opened maximized: the available area cannot hold the reference minimum
    // with its title bar (a 1366×768 laptop with a taskbar).
    bool maximized = false;

    // Start size for a screen whose available area is `available`; without a
    // screen (an invalid rectangle) the reference 1600×900, minimum 1100×720.
    static WindowGeometry forAvailableArea(const QRect &available);
    // Top-left corner that centres a window of `window` size in `available`.
    static QPoint centeredTopLeft(const QRect &available, const QSize &window);
};
