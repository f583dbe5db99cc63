#include "ui/common/ordertableheader.h"

#include "ui/common/roundedcheckbox.h"

#include <QMouseEvent>
#include <QPainter>

OrderTableHeader::OrderTableHeader(Qt::Orientation orientation, QWidget *parent)
    : QHeaderView(orientation, parent)
{
    setSectionsClickable(true);
}

void OrderTableHeader::setChecked(bool checked)
{
    m_checked = checked;
    viewport()->update();
}

void OrderTableHeader::mousePressEvent(QMouseEvent *event)
{
    const QPointF pos = event->position();
    const int section =
        logicalIndexAt(orientation() == Qt::Horizontal ? qRound(pos.x()) : qRound(pos.y()));
    if (section != 0) {
        QHeaderView::mousePressEvent(event);
        return;
    }
    m_checked = !m_checked;
    viewport()->update();
    emit checkAllToggled(m_checked);
}

void OrderTableHeader::paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const
{
    QHeaderView::paintSection(painter, rect, logicalIndex);
    if (logicalIndex != 0)
        return;
    painter->save();
    // Styled sections can leave an empty clip behind; the box belongs inside the section.
    painter->setClipRect(rect, Qt::ReplaceClip);
    painter->setRenderHint(QPainter::Antialiasing);
    const QPoint topLeft(rect.left() + (rect.width() - RoundedCheckBox::BoxSize) / 2,
                         rect.top() + (rect.height() - RoundedCheckBox::BoxSize) / 2);
    RoundedCheckBox::paintBox(*painter, topLeft, m_checked);
    painter->restore();
}
