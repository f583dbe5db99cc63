#pragma once

#include <QProxyStyle>

// The platform style, except that keyboard focus is drawn as a rounded ring
// in the accent colour following the pill and card shapes of the buttons,
// instead of the platform's square box, and only while the keyboard moves it.
class FocusRingStyle : public QProxyStyle
{
    Q_OBJECT

public:
    using QProxyStyle::QProxyStyle;

    void drawPrimitive(PrimitiveElement element, const QStyleOption *option, QPainter *painter,
                       const QWidget *widget = nullptr) const override;

    // The corner radius of the ring around `rect`: a pill for button-high
    // rectangles, the cards' corner for taller ones.
    static qreal ringRadius(const QRectF &rect);
};
