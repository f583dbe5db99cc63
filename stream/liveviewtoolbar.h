#pragma once

#include <QFrame>

class QToolButton;

// The live view's examination tools, laid over the picture's top-right
// corner: turn left, turn right, mirror, freeze and the zoom level (a click
// returns to 1x). It only reports clicks; the window decides what they do
// and tells the bar the resulting state.
class LiveViewToolbar : public QFrame
{
    Q_OBJECT

public:
    explicit LiveViewToolbar(QWidget *parent = nullptr);

    void setFrozen(bool frozen);
    void setMirrored(bool mirrored);
    void setZoom(qreal zoom);

    QToolButton *rotateLeftButton() const { return m_rotateLeft; }
    QToolButton *rotateRightButton() const { return m_rotateRight; }
    QToolButton *mirrorButton() const { return m_mirror; }
    QToolButton *freezeButton() const { return m_freeze; }
    QToolButton *zoomButton() const { return m_zoom; }

signals:
    void rotateCounterclockwiseClicked();
    void rotateClockwiseClicked();
    void mirrorClicked();
    void freezeClicked();
    void zoomResetClicked();

private:
    enum class Icon { RotateLeft, RotateRight, Mirror, Pause, Play };
    static QIcon drawIcon(Icon icon);
    QToolButton *addButton(Icon icon, const char *name);
    void retranslate();

    QToolButton *m_rotateLeft = nullptr;
    QToolButton *m_rotateRight = nullptr;
    QToolButton *m_mirror = nullptr;
    QToolButton *m_freeze = nullptr;
    QToolButton *m_zoom = nullptr;
    bool m_frozen = false;
};
