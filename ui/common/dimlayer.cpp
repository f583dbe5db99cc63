#include "ui/common/dimlayer.h"

#include <QBitmap>
#include <QEvent>
#include <QPainter>
#include <QRegion>

DimLayer *DimLayer::cover(QWidget *window, qreal opacity, QWidget *modal)
{
    return window ? new DimLayer(window, opacity, modal) : nullptr;
}

DimLayer::DimLayer(QWidget *window, qreal opacity, QWidget *modal)
    : QWidget(window), m_opacity(opacity), m_modal(modal)
{
    setObjectName(QStringLiteral("dimLayer"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setGeometry(window->rect());
    window->installEventFilter(this);
    modal->installEventFilter(this);
    connect(modal, &QObject::destroyed, this, &QObject::deleteLater);
    setVisible(modal->isVisible());
    raise();
}

QRegion DimLayer::roundedRegion(const QRect &rect, int radius)
{
    QBitmap shape(rect.size());
    shape.fill(Qt::color0);
    QPainter painter(&shape);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::color1);
    painter.drawRoundedRect(QRect(QPoint(0, 0), rect.size()), radius, radius);
    painter.end();
    return QRegion(shape).translated(rect.topLeft());
}

void DimLayer::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), QColor(0, 0, 0, qRound(255 * m_opacity)));
}

bool DimLayer::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == parent() && event->type() == QEvent::Resize) {
        setGeometry(parentWidget()->rect());
    } else if (watched == m_modal) {
        if (event->type() == QEvent::Show) {
            raise();
            show();
        } else if (event->type() == QEvent::Hide) {
            hide();
        }
    }
    return false;
}
