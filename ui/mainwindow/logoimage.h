#pragma once

#include <QImage>

// The logo as the navigation panel shows it: transparent margins cut away.
struct LogoImage
{
    // The smallest rectangle holding every pixel with non-zero alpha; the whole
    // picture when every pixel is transparent.
    static QImage trimTransparentBorder(const QImage &image);
};
