#include "ui/common/elidedlabel.h"

#include <QPainter>

#include <algorithm>

ElidedLabel::ElidedLabel(const QString &text, QWidget *parent) : QLabel(parent)
{
    setTextFormat(Qt::PlainText);
    setWordWrap(false);
    setText(text);
}

void ElidedLabel::setMaximumHintWidth(int width)
{
    m_maximumHintWidth = width;
    updateGeometry();
}

void ElidedLabel::setKeptWidth(int width)
{
    m_keptWidth = width;
    updateGeometry();
}

void ElidedLabel::setShortText(const QString &shortText)
{
    m_shortText = shortText;
    update();
}

QSize ElidedLabel::sizeHint() const
{
    const QSize full = QLabel::sizeHint();
    return {std::min(full.width(), m_maximumHintWidth), full.height()};
}

QSize ElidedLabel::minimumSizeHint() const
{
    const QSize full = QLabel::minimumSizeHint();
    const int ellipsisWidth = fontMetrics().horizontalAdvance(QStringLiteral("M…"));
    const int shortest = ellipsisWidth + contentsMargins().left() + contentsMargins().right();
    const int kept = full.width() <= m_keptWidth ? full.width() : 0;
    return {std::max(std::min(full.width(), shortest), kept), full.height()};
}

QString ElidedLabel::shownText() const
{
    const int width = contentsRect().width();
    const QFontMetrics metrics = fontMetrics();
    if (!m_shortText.isEmpty() && metrics.horizontalAdvance(text()) > width)
        return metrics.elidedText(m_shortText, Qt::ElideRight, width);
    return metrics.elidedText(text(), Qt::ElideRight, width);
}

void ElidedLabel::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setPen(palette().color(foregroundRole()));
    painter.drawText(contentsRect(), int(alignment()) | Qt::TextSingleLine, shownText());
}
