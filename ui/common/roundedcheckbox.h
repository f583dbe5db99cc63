#pragma once

#include <QCheckBox>

class QPainter;

// A check box that paints its own small rounded box and check mark.
class RoundedCheckBox : public QCheckBox
{
    Q_OBJECT

public:
    explicit RoundedCheckBox(QWidget *parent = nullptr);
    explicit RoundedCheckBox(const QString &text, QWidget *parent = nullptr);

    QSize sizeHint() const override;

    // Side of the painted box; table headers paint the same box.
    static constexpr int BoxSize = 14;
    // Paints the box (and the mark when checked) with its top-left corner at `topLeft`.
    static void paintBox(QPainter &painter, const QPoint &topLeft, bool checked);

protected:
    void paintEvent(QPaintEvent *event) override;
    // The whole widget answers clicks, not only where a native box would sit:
    // the box is painted centred when there is no text.
    bool hitButton(const QPoint &pos) const override;
};
