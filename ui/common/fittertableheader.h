#pragma once

#include <QHeaderView>

// A horizontal table header that paints a check-all box in its first section;
// clicking that section flips the box and reports the new state.
class FitterTableHeader : public QHeaderView
{
    Q_OBJECT

public:
    explicit FitterTableHeader(Qt::Orientation orientation, QWidget *parent = nullptr);

    bool isChecked() const { return m_checked; }
    // Sets the box without reporting it, e.g. when the rows below are rebuilt.
    void setChecked(bool checked);

signals:
    void checkAllToggled(bool checked);

protected:
    void paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const override;
    void mousePressEvent(QMouseEvent *event) override;

private:
    bool m_checked = false;
};
