#include "ui/common/iconpixmap.h"

#include <QLabel>
#include <QPixmap>

void setIconPixmap(QLabel *label, const QString &resource, const QSize &box)
{
    setIconPixmap(label, QPixmap(resource), box);
}

void setIconPixmap(QLabel *label, const QPixmap &picture, const QSize &box)
{
    if (picture.isNull())
        return;
    const qreal ratio = label->devicePixelRatioF();
    QPixmap fitted = picture.scaled(box * ratio, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    fitted.setDevicePixelRatio(ratio);
    label->setPixmap(fitted);
}
