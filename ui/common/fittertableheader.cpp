#include "ui/common/fittertableheader.h"

#include "ui/common/roundedcheckbox.h"

#include <QMouseEvent>
#include <QPainter>

FitterTableHeader::FitterTableHeader(Qt::Orientation orientation, QWidget *parent)
    : QHeaderView(orientation, parent)
{
}

void FitterTableHeader::setChecked(bool checked)
{
    if (m_checked == checked)
        return;
    m_checked = checked;
    viewport()->update();
}

void FitterTableHeader::paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const
{
    painter->save();
    QHeaderView::paintSection(painter, rect, logicalIndex);
    painter->restore();
    if (logicalIndex != 0)
        return;
    // The same box as the row check boxes below it.
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    const int box = RoundedCheckBox::BoxSize;
    const QPoint topLeft(rect.left() + (rect.width() - box) / 2,
                         rect.top() + (rect.height() - box) / 2);
    RoundedCheckBox::paintBox(*painter, topLeft, m_checked);
    painter->restore();
}

void FitterTableHeader::mousePressEvent(QMouseEvent *event)
{
    const QPoint pos = event->position().toPoint();
    const int section = logicalIndexAt(orientation() == Qt::Horizontal ? pos.x() : pos.y());
    if (section != 0) {
        QHeaderView::mousePressEvent(event);
        return;
    }
    m_checked = !m_checked;
    viewport()->update();
    emit checkAllToggled(m_checked);
}
