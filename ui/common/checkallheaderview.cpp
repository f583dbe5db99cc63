#include "ui/common/checkallheaderview.h"

#include "ui/common/roundedcheckbox.h"

#include <QMouseEvent>
#include <QPainter>

CheckAllHeaderView::CheckAllHeaderView(Qt::Orientation orientation, QWidget *parent)
    : QHeaderView(orientation, parent)
{
}

void CheckAllHeaderView::setChecked(bool checked)
{
    m_checked = checked;
    viewport()->update();
}

void CheckAllHeaderView::mousePressEvent(QMouseEvent *event)
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

void CheckAllHeaderView::paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const
{
    painter->save();
    QHeaderView::paintSection(painter, rect, logicalIndex);
    painter->restore();
    if (logicalIndex != 0)
        return;
    painter->save();
    // Styled sections can leave an empty clip behind; the box belongs inside the section.
    painter->setClipRect(rect, Qt::ReplaceClip);
    painter->setRenderHint(QPainter::Antialiasing);
    // The same box as the row check boxes below it.
    const QPoint topLeft(rect.left() + (rect.width() - RoundedCheckBox::BoxSize) / 2,
                         rect.top() + (rect.height() - RoundedCheckBox::BoxSize) / 2);
    RoundedCheckBox::paintBox(*painter, topLeft, m_checked);
    painter->restore();
}
