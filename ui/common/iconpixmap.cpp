#include "ui/common/iconpixmap.h"

#include <QLabel>
#include <QPixmap>

void setIconPixmap(QLabel *label, const QString &resource, const QSize &box)
{
    const QPixmap picture(resource);
    if (picture.isNull())
        return;
    const qreal ratio = label->devicePixelRatioF();
    QPixmap fitted = picture.scaled(box * ratio, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    fitted.setDevicePixelRatio(ratio);
    label->setPixmap(fitted);
}
