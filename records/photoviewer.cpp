#include "records/photoviewer.h"

#include "i18n/langmanager.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace {

QScreen *firstScreen()
{
    const QList<QScreen *> screens = QGuiApplication::screens();
    return screens.isEmpty() ? nullptr : screens.first();
}

} // namespace

PhotoViewer::PhotoViewer(const QImage &image, QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("photoViewer"));
    setWindowFlags(windowFlags() | Qt::FramelessWindowHint);
    setAttribute(Qt::WA_DeleteOnClose);
    setStyleSheet(QStringLiteral("QDialog { background: rgba(0,0,0,220); }"));

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto *topRow = new QHBoxLayout;
    topRow->setContentsMargins(0, 10, 14, 0);
    topRow->setSpacing(0);
    topRow->addStretch();
    m_exitButton = new QPushButton(
        uiText(QStringLiteral("inspect.exit_fullscreen"), QStringLiteral("Exit Fullscreen")), this);
    m_exitButton->setObjectName(QStringLiteral("exitFullscreenButton"));
    m_exitButton->setFixedSize(120, 36);
    m_exitButton->setCursor(Qt::PointingHandCursor);
    m_exitButton->setStyleSheet(QStringLiteral(
        "QPushButton { background: rgba(0,0,0,150); border: 1px solid #666; border-radius: 8px; "
        "color: white; font-size: 13px; }"
        "QPushButton:hover { background: rgba(80,80,80,200); }"));
    topRow->addWidget(m_exitButton, 0, Qt::AlignRight | Qt::AlignTop);
    layout->addLayout(topRow);

    m_pictureLabel = new QLabel(this);
    m_pictureLabel->setObjectName(QStringLiteral("photoViewerPicture"));
    m_pictureLabel->setAlignment(Qt::AlignCenter);
    m_pictureLabel->setStyleSheet(QStringLiteral("background: transparent;"));
    const QScreen *screen = firstScreen();
    const QSize screenSize = screen ? screen->geometry().size() : QSize(1920, 1080);
    m_pictureLabel->setPixmap(QPixmap::fromImage(
        image.scaled(screenSize, Qt::KeepAspectRatio, Qt::SmoothTransformation)));
    layout->addWidget(m_pictureLabel, 1);

    connect(m_exitButton, &QPushButton::clicked, this, &QDialog::reject);
    if (screen)
        setGeometry(screen->geometry());
}

void PhotoViewer::showModal(const QImage &image, QWidget *parent)
{
    if (image.isNull())
        return;
    auto *viewer = new PhotoViewer(image, parent);
    // Full screen is set before exec() shows it: a dialog already shown
    // would not become modal.
    viewer->setWindowState(viewer->windowState() | Qt::WindowFullScreen);
    viewer->exec();
}
