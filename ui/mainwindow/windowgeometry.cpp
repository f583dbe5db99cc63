#include "ui/mainwindow/windowgeometry.h"

#include <algorithm>

WindowGeometry WindowGeometry::forAvailableArea(const QRect &available)
{
    if (!available.isValid())
        return {ReferenceMinimum, ReferenceSize, false};
    // The window's own sizes leave room for its title bar, so that its
    // bottom edge (capture, save) never runs under a taskbar.
    const int height = std::max(available.height() - FrameAllowance, 1);
    WindowGeometry geometry;
    geometry.minimum = QSize(std::min(available.width(), ReferenceMinimum.width()),
                             std::min(height, ReferenceMinimum.height()));
    geometry.size = QSize(std::min(available.width(), ReferenceSize.width()),
                          std::min(height, ReferenceSize.height()));
    geometry.maximized =
        available.width() < ReferenceMinimum.width() || height < ReferenceMinimum.height();
    return geometry;
}

QPoint WindowGeometry::centeredTopLeft(const QRect &available, const QSize &window)
{
    return {available.x() + (available.width() - window.width()) / 2,
            available.y() + (available.height() - window.height()) / 2};
}
