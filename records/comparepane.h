#pragma once

#include <QImage>
#include <QPoint>
#include <QWidget>

class ZoomPan;

// One side of the photo comparison: a photo fitted whole into the pane, then
// zoomed and moved by a ZoomPan it shares with the other side, so both show
// the same part of their picture. The pane only reports the wheel and drags;
// the comparison applies them to both sides.
class ComparePane : public QWidget
{
    Q_OBJECT

public:
    ComparePane(const ZoomPan *zoomPan, QWidget *parent = nullptr);

    // A null image shows `missingText` instead.
    void setPhoto(const QImage &image, const QString &missingText);
    const QImage &photo() const { return m_image; }
    // Where the photo lies in the pane at the shared zoom and pan.
    QRectF photoRect() const;

signals:
    // Wheel notches (positive: closer) at a point of the pane.
    void zoomRequested(const QPointF &at, qreal steps);
    void panRequested(const QPointF &delta);
    void resized();

protected:
    void paintEvent(QPaintEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    const ZoomPan *m_zoomPan;
    QImage m_image;
    QString m_missingText;
    // The photo scaled once to the pane at 1x: most of the time is spent
    // there, and a 1080p photo scaled on every paint would make drags lag.
    QImage m_fitted;
    QPointF m_dragFrom;
    bool m_dragging = false;
};
