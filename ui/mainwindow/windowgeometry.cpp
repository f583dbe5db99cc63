#include "ui/mainwindow/windowgeometry.h"

#include <algorithm>

WindowGeometry WindowGeometry::forAvailableArea(const QRect &available)
{
    if (!available.isValid())
        return {QSize(1100, 720), QSize(1600, 900)};
    return {QSize(std::min(available.width(), 1100), std::min(available.height(), 720)),
            QSize(std::min(available.width(), 1600), std::min(available.height(), 900))};
}

QPoint WindowGeometry::centeredTopLeft(const QRect &available, const QSize &window)
{
    return {available.x() + (available.width() - window.width()) / 2,
            available.y() + (available.height() - window.height()) / 2};
}
