#include "ui/common/focusringstyle.h"

#include <QPainter>
#include <QStyleOption>

#include <algorithm>

namespace {

constexpr qreal PillHeightLimit = 60;
constexpr qreal CardRadius = 18;

} // namespace

qreal FocusRingStyle::ringRadius(const QRectF &rect)
{
    const qreal half = std::min(rect.width(), rect.height()) / 2;
    return rect.height() <= PillHeightLimit ? half : std::min(half, CardRadius);
}

void FocusRingStyle::drawPrimitive(PrimitiveElement element, const QStyleOption *option,
                                   QPainter *painter, const QWidget *widget) const
{
    if (element != PE_FrameFocusRect) {
        QProxyStyle::drawPrimitive(element, option, painter, widget);
        return;
    }
    // Only for focus moved by the keyboard: after a click the ring would
    // stay on the clicked button and pass for a selection.
    if (!(option->state & State_KeyboardFocusChange))
        return;
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setPen(QPen(QColor(0xec, 0x5c, 0x0b), 2));
    painter->setBrush(Qt::NoBrush);
    const QRectF ring = QRectF(option->rect).adjusted(1, 1, -1, -1);
    const qreal radius = ringRadius(ring);
    painter->drawRoundedRect(ring, radius, radius);
    painter->restore();
}
