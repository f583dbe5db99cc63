#pragma once

#include <QHeaderView>

// A horizontal table header whose first section holds a check-all box.
class OrderTableHeader : public QHeaderView
{
    Q_OBJECT

public:
    explicit OrderTableHeader(Qt::Orientation orientation, QWidget *parent = nullptr);

    bool isChecked() const { return m_checked; }
    // Sets the box without emitting checkAllToggled.
    void setChecked(bool checked);

signals:
    void checkAllToggled(bool checked);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const override;

private:
    bool m_checked = false;
};
