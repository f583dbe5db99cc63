#include "records/photoviewer.h"

#include <QScreen>

PhotoViewer::PhotoViewer(const QImage &image, QWidget *parent)
    : FullscreenViewer(parent, QStringLiteral("Exit Fullscreen"))
{
    setObjectName(QStringLiteral("photoViewer"));
    setStyleSheet(QStringLiteral("QDialog { background: rgba(0,0,0,220); }"));
    setPhoto(image);
}

void PhotoViewer::showModal(const QImage &image, QWidget *parent)
{
    if (image.isNull())
        return;
    auto *viewer = new PhotoViewer(image, parent);
    // Placed and made full screen before exec() shows it: a dialog already
    // shown would not become modal.
    if (QScreen *screen = viewer->targetScreen()) {
        viewer->setScreen(screen);
        viewer->setGeometry(screen->geometry());
    }
    viewer->setWindowState(viewer->windowState() | Qt::WindowFullScreen);
    viewer->exec();
}
