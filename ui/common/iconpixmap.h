#pragma once

#include <QSize>
#include <QString>

class QLabel;
class QPixmap;

// Shows the picture `resource` on `label`, fitted into `box` (logical pixels)
// and drawn in the screen's own pixels, so icons stay sharp on high-density
// screens. A picture that cannot be loaded leaves the label as it is.
void setIconPixmap(QLabel *label, const QString &resource, const QSize &box);
// The same for a picture already loaded; a null one leaves the label alone.
void setIconPixmap(QLabel *label, const QPixmap &picture, const QSize &box);
