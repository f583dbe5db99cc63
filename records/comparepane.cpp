#include "records/comparepane.h"

#include "stream/fullscreenviewer.h"
#include "stream/zoompan.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

ComparePane::ComparePane(const ZoomPan *zoomPan, QWidget *parent)
    : QWidget(parent), m_zoomPan(zoomPan)
{
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    setCursor(Qt::OpenHandCursor);
    setFocusPolicy(Qt::NoFocus);
}

void ComparePane::setPhoto(const QImage &image, const QString &missingText)
{
    m_image = image;
    m_missingText = missingText;
    m_fitted = QImage();
    update();
}

QRectF ComparePane::photoRect() const
{
    if (m_image.isNull())
        return {};
    // The shared picture is the pane itself; the photo sits fitted inside it.
    const QRect fit = FullscreenViewer::fitRect(m_image.size(), rect());
    return QRectF(
        m_zoomPan->pictureToView(QPointF(fit.topLeft())),
        m_zoomPan->pictureToView(QPointF(fit.left() + fit.width(), fit.top() + fit.height())));
}

void ComparePane::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), QColor(17, 17, 17));
    if (m_image.isNull()) {
        painter.setPen(QColor(200, 200, 200));
        painter.drawText(rect(), Qt::AlignCenter | Qt::TextWordWrap, m_missingText);
        return;
    }
    const QRectF target = photoRect();
    if (!m_zoomPan->isZoomed()) {
        const qreal ratio = devicePixelRatioF();
        const QSize pixels = (target.size() * ratio).toSize();
        if (m_fitted.size() != pixels) {
            m_fitted = m_image.scaled(pixels, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
            m_fitted.setDevicePixelRatio(ratio);
        }
        painter.drawImage(target.topLeft(), m_fitted);
        return;
    }
    // Only the part in view is scaled.
    const QRectF shown = target.intersected(QRectF(rect()));
    const qreal perUnit = m_image.width() / target.width();
    const QRectF source((shown.left() - target.left()) * perUnit,
                        (shown.top() - target.top()) * perUnit, shown.width() * perUnit,
                        shown.height() * perUnit);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(shown, m_image, source);
}

void ComparePane::wheelEvent(QWheelEvent *event)
{
    const qreal steps = event->angleDelta().y() / 120.0;
    if (steps != 0)
        emit zoomRequested(event->position(), steps);
    event->accept();
}

void ComparePane::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return QWidget::mousePressEvent(event);
    m_dragging = true;
    m_dragFrom = event->position();
    setCursor(Qt::ClosedHandCursor);
}

void ComparePane::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_dragging)
        return;
    const QPointF delta = event->position() - m_dragFrom;
    m_dragFrom = event->position();
    emit panRequested(delta);
}

void ComparePane::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton) {
        m_dragging = false;
        setCursor(Qt::OpenHandCursor);
    }
}

void ComparePane::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    emit resized();
}
