#pragma once

#include <QImage>
#include <QPixmap>
#include <QWidget>

// One photo of the report sheet: a grey rounded box with the photo fitted
// into it. The photo is painted at paint time from the full image, so a
// printer at 1200 dpi gets every pixel the camera took while the screen
// preview paints from a copy scaled to the box.
class ReportPhotoCell : public QWidget
{
    Q_OBJECT

public:
    ReportPhotoCell(const QImage &photo, const QSize &cellSize, QWidget *parent = nullptr);

    const QImage &photo() const { return m_photo; }
    // Where the photo is drawn inside the cell (empty without a photo).
    QRectF photoRect() const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QImage m_photo;
    QPixmap m_screenCopy;
};
