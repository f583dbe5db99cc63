#include "ui/common/roundedcheckbox.h"

#include <QFontMetrics>
#include <QPainter>

RoundedCheckBox::RoundedCheckBox(QWidget *parent) : QCheckBox(parent) {}

RoundedCheckBox::RoundedCheckBox(const QString &text, QWidget *parent) : QCheckBox(text, parent) {}

QSize RoundedCheckBox::sizeHint() const
{
    const QFontMetrics metrics(font());
    const int textWidth = text().isEmpty() ? 0 : metrics.horizontalAdvance(text()) + 8;
    return {18 + textWidth, qMax(metrics.height(), BoxSize) + 4};
}

void RoundedCheckBox::paintBox(QPainter &painter, const QPoint &topLeft, bool checked)
{
    const QColor dark(QStringLiteral("#4a4a4a"));
    painter.setPen(QPen(checked ? dark : QColor(QStringLiteral("#c0c0c0")), 1));
    painter.setBrush(checked ? dark : QColor(Qt::white));
    painter.drawRoundedRect(QRect(topLeft, QSize(BoxSize, BoxSize)), 2, 2);
    if (!checked)
        return;
    const int x = topLeft.x();
    const int y = topLeft.y();
    painter.setPen(QPen(Qt::white, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawLine(QPoint(x + 3, y + 6), QPoint(x + 5, y + 10));
    painter.drawLine(QPoint(x + 5, y + 10), QPoint(x + 11, y + 3));
}

void RoundedCheckBox::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const int top = (height() - BoxSize) / 2;
    const int left = text().isEmpty() ? (width() - BoxSize) / 2 : 0;
    paintBox(painter, QPoint(left, top), isChecked());
    if (text().isEmpty())
        return;
    painter.setPen(palette().color(QPalette::WindowText));
    const QRect textRect(QPoint(left + BoxSize + 8, 0), rect().bottomRight());
    painter.drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter, text());
}

bool RoundedCheckBox::hitButton(const QPoint &pos) const
{
    return rect().contains(pos);
}
