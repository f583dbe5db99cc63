// One photo enlarged in the centre, and the full-screen viewers for it and
// for the live picture.
#include "ui/mainwindow/mainwindow.h"

#include "device/networkhandler.h"
#include "stream/fullscreenviewer.h"
#include "stream/streamdisplaywidget.h"

#include <QLabel>
#include <QShortcut>
#include <QStackedWidget>
#include <QTimer>

void MainWindow::onThumbnailClicked(int index)
{
    if (!currentPhotos().isValidIndex(index))
        return;
    m_viewedPhotoIndex = index;
    m_viewedLeftEar = m_leftEarSelected;
    markThumbnails();
    m_centerStack->setCurrentIndex(1);
    // Rendered once the label has its size in the photo view.
    QTimer::singleShot(0, this, &MainWindow::renderPhotoView);
}

void MainWindow::renderPhotoView()
{
    if (!m_photoViewLabel || m_centerStack->currentIndex() != 1)
        return;
    if (!viewedPhotos().isValidIndex(m_viewedPhotoIndex)) {
        m_photoViewLabel->clear();
        return;
    }
    const CapturedPhoto &photo = viewedPhotos().at(m_viewedPhotoIndex);
    // Decoded once per photo shown; resizing only scales it again.
    if (m_viewedImageJpeg.constData() != photo.jpeg().constData() || m_viewedImage.isNull()) {
        m_viewedImageJpeg = photo.jpeg();
        m_viewedImage = photo.fullImage();
    }
    QSize size = m_photoViewLabel->size();
    if (size.width() < 1 || size.height() < 1)
        size = QSize(460, 400);
    const qreal ratio = m_photoViewLabel->devicePixelRatioF();
    QImage picture = CapturedPhoto::coverCrop(m_viewedImage, size * ratio);
    picture.setDevicePixelRatio(ratio);
    m_photoViewLabel->setPixmap(QPixmap::fromImage(std::move(picture)));
}

void MainWindow::onBackToStreamClicked()
{
    leavePhotoView();
}

void MainWindow::onFullscreenBtnClicked()
{
    if (!viewedPhotos().isValidIndex(m_viewedPhotoIndex))
        return;
    const CapturedPhoto &photo = viewedPhotos().at(m_viewedPhotoIndex);
    auto *viewer = new FullscreenViewer(this, QStringLiteral("退出全屏"));
    viewer->setObjectName(QStringLiteral("photoFullscreenViewer"));
    viewer->setPhoto(m_viewedImageJpeg.constData() == photo.jpeg().constData() &&
                             !m_viewedImage.isNull()
                         ? m_viewedImage
                         : photo.fullImage());
    viewer->showOnScreen();
}

void MainWindow::onStreamDoubleClicked()
{
    if (!m_deviceConnected || m_networkHandler->streamUrl().isEmpty())
        return;
    if (m_liveViewer && m_liveViewer->isVisible()) {
        m_liveViewer->activateWindow();
        return;
    }
    auto *viewer = new FullscreenViewer(this, QStringLiteral("退出全屏"));
    viewer->setObjectName(QStringLiteral("liveFullscreenViewer"));
    // The full screen shows the frames the page's view receives: a second
    // request would halve what the camera can give each, and a camera that
    // serves one client at a time would leave one of the two without a picture.
    StreamDisplayWidget *live = viewer->setLiveView(m_streamWidget);
    live->setOrientation(m_orientation);
    attachViewTools(live);
    addViewShortcuts(viewer);
    // Hands-free capture goes on while the live picture fills the screen.
    auto *space = new QShortcut(QKeySequence(Qt::Key_Space), viewer);
    space->setAutoRepeat(false);
    connect(space, &QShortcut::activated, this, &MainWindow::onCaptureButtonClicked);
    m_liveViewer = viewer;
    viewer->showOnScreen();
}

StreamDisplayWidget *MainWindow::shownLiveView() const
{
    if (m_liveViewer && m_liveViewer->isVisible() && m_liveViewer->liveView())
        return m_liveViewer->liveView();
    return m_streamWidget;
}

QWidget *MainWindow::liveNoticeHost() const
{
    if (m_liveViewer && m_liveViewer->isVisible())
        return m_liveViewer;
    return m_centerPanel;
}
