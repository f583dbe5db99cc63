#pragma once

#include <QWidget>

class QRegion;

// The dimming under a modal prompt or panel: a translucent black layer painted
// inside the covered window, above all of its content. Being part of the
// window's own picture it dims with or without a compositing window manager;
// a translucent window of its own shows solid black without one.
class DimLayer : public QWidget
{
    Q_OBJECT

public:
    // Dims `window` by `opacity` (0..1) while `modal` is shown, and goes with
    // it. Null without a window to dim.
    static DimLayer *cover(QWidget *window, qreal opacity, QWidget *modal);
    // A rounded rectangle as a region: the only part of a modal overlay that
    // is its own window, so everything around it is the covered window.
    static QRegion roundedRegion(const QRect &rect, int radius);

    qreal opacity() const { return m_opacity; }

protected:
    void paintEvent(QPaintEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    DimLayer(QWidget *window, qreal opacity, QWidget *modal);

    qreal m_opacity;
    QWidget *m_modal;
};
