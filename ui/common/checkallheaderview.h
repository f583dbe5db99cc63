#pragma once

#include <QHeaderView>

// A table header that paints a check-all box in its first section; clicking
// that section flips the box and reports the new state. The order and fitter
// tables each use their own subclass.
class CheckAllHeaderView : public QHeaderView
{
    Q_OBJECT

public:
    explicit CheckAllHeaderView(Qt::Orientation orientation, QWidget *parent = nullptr);

    bool isChecked() const { return m_checked; }
    // Sets the box without emitting checkAllToggled, e.g. when the rows are rebuilt.
    void setChecked(bool checked);

signals:
    void checkAllToggled(bool checked);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const override;

private:
    bool m_checked = false;
};
