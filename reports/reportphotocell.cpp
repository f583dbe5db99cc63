#include "reports/reportphotocell.h"

#include <QPaintEngine>
#include <QPainter>
#include <QPainterPath>

#include <cmath>

namespace {
constexpr qreal CornerRadius = 10;
} // namespace

ReportPhotoCell::ReportPhotoCell(const QImage &photo, const QSize &cellSize, QWidget *parent)
    : QWidget(parent), m_photo(photo)
{
    setObjectName(QStringLiteral("reportPhoto"));
    setFixedSize(cellSize);
}

QRectF ReportPhotoCell::photoRect() const
{
    if (m_photo.isNull())
        return {};
    const QSizeF fitted = QSizeF(m_photo.size()).scaled(QSizeF(size()), Qt::KeepAspectRatio);
    return {(width() - fitted.width()) / 2, (height() - fitted.height()) / 2, fitted.width(),
            fitted.height()};
}

void ReportPhotoCell::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
    QPainterPath box;
    box.addRoundedRect(QRectF(rect()), CornerRadius, CornerRadius);
    painter.fillPath(box, QColor(0xec, 0xec, 0xec));
    if (m_photo.isNull())
        return;
    painter.setClipPath(box);
    const QRectF target = photoRect();
    // Device pixels the photo covers: far more on paper than on screen. A
    // recording (on its way to a printer) cannot know, so it gets everything.
    const QRectF onDevice = painter.deviceTransform().mapRect(target);
    const QSize needed(int(std::ceil(onDevice.width())), int(std::ceil(onDevice.height())));
    const bool recording = painter.paintEngine()->type() == QPaintEngine::Picture;
    if (recording || needed.width() >= m_photo.width() || needed.height() >= m_photo.height()) {
        painter.drawImage(target, m_photo);
        return;
    }
    if (m_screenCopy.size() != needed)
        m_screenCopy = QPixmap::fromImage(
            m_photo.scaled(needed, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    painter.drawPixmap(target, m_screenCopy, QRectF(m_screenCopy.rect()));
}
