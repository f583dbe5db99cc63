#include "stream/fullscreenviewer.h"

#include "i18n/langmanager.h"
#include "stream/streamdisplaywidget.h"

#include <QEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QTimer>
#include <QVBoxLayout>

FullscreenViewer::FullscreenViewer(QWidget *parent, const QString &exitDefaultText)
    : QDialog(parent, Qt::Window | Qt::FramelessWindowHint)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setStyleSheet(QStringLiteral("background: black;"));

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto *topBar = new QHBoxLayout;
    topBar->setContentsMargins(0, 10, 14, 0);
    topBar->addStretch();
    m_exitButton =
        new QPushButton(uiText(QStringLiteral("inspect.exit_fullscreen"), exitDefaultText), this);
    m_exitButton->setObjectName(QStringLiteral("exitFullscreenButton"));
    m_exitButton->setFixedSize(120, 36);
    m_exitButton->setCursor(Qt::PointingHandCursor);
    m_exitButton->setStyleSheet(
        QStringLiteral("QPushButton { background:rgba(0,0,0,150); border:1px solid #666;"
                       "              border-radius:8px; color:white; font-size:13px; }"
                       "QPushButton:hover { background:rgba(80,80,80,200); }"));
    topBar->addWidget(m_exitButton);
    layout->addLayout(topBar);
    connect(m_exitButton, &QPushButton::clicked, this, &QDialog::close);
    auto *escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    escape->setContext(Qt::WindowShortcut);
    connect(escape, &QShortcut::activated, this, &QDialog::close);
}

void FullscreenViewer::setPhoto(const QImage &photo)
{
    m_photo = photo;
    if (!m_photoLabel) {
        m_photoLabel = new QLabel(this);
        m_photoLabel->setObjectName(QStringLiteral("fullscreenPhoto"));
        m_photoLabel->setAlignment(Qt::AlignCenter);
        m_photoLabel->setStyleSheet(QStringLiteral("background: black;"));
        // The photo is scaled to the label, never the label to the photo: a
        // label asking for the photo's size made the window taller than the screen.
        m_photoLabel->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
        m_photoLabel->installEventFilter(this);
        static_cast<QVBoxLayout *>(layout())->addWidget(m_photoLabel, 1);
    }
    renderPhoto();
}

StreamDisplayWidget *FullscreenViewer::setLiveView(StreamDisplayWidget *source)
{
    if (!m_liveView) {
        m_liveView = new StreamDisplayWidget(this);
        m_liveView->setObjectName(QStringLiteral("fullscreenLiveView"));
        m_liveView->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
        m_liveView->setStatusTextColor(QStringLiteral("#e6e6e6")); // on black
        static_cast<QVBoxLayout *>(layout())->addWidget(m_liveView, 1);
        connect(m_liveView, &StreamDisplayWidget::doubleClicked, this, &QDialog::close);
        connect(this, &QDialog::finished, m_liveView,
                [this] { m_liveView->followStream(nullptr); });
    }
    m_liveView->followStream(source);
    return m_liveView;
}

void FullscreenViewer::showCaptureConfirmation(const QImage &preview)
{
    // Small and brief: the user is looking into the ear, not at the corner.
    constexpr int Width = 200;
    constexpr int Margin = 24;
    constexpr int ShownMs = 1500;
    if (!m_captureConfirmation) {
        m_captureConfirmation = new QLabel(this);
        m_captureConfirmation->setObjectName(QStringLiteral("captureConfirmation"));
        m_captureConfirmation->setAttribute(Qt::WA_TransparentForMouseEvents);
        m_captureConfirmation->setStyleSheet(
            QStringLiteral("QLabel { background: black; border: 3px solid white; "
                           "border-radius: 6px; }"));
        m_confirmationTimer = new QTimer(this);
        m_confirmationTimer->setObjectName(QStringLiteral("captureConfirmationTimer"));
        m_confirmationTimer->setSingleShot(true);
        connect(m_confirmationTimer, &QTimer::timeout, m_captureConfirmation, &QLabel::hide);
    }
    const QSize size = preview.isNull() ? QSize(Width, Width * 9 / 16)
                                        : preview.size().scaled(Width, Width, Qt::KeepAspectRatio);
    const QSize box = size + QSize(6, 6);
    m_captureConfirmation->setPixmap(
        QPixmap::fromImage(preview.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)));
    m_captureConfirmation->setGeometry(width() - box.width() - Margin,
                                       height() - box.height() - Margin, box.width(), box.height());
    m_captureConfirmation->show();
    m_captureConfirmation->raise();
    m_confirmationTimer->start(ShownMs);
}

QScreen *FullscreenViewer::targetScreen() const
{
    if (parentWidget() && parentWidget()->window()->screen())
        return parentWidget()->window()->screen();
    return QGuiApplication::primaryScreen();
}

void FullscreenViewer::showOnScreen()
{
    if (QScreen *screen = targetScreen()) {
        setScreen(screen);
        setGeometry(screen->geometry());
    }
    showFullScreen();
}

QRect FullscreenViewer::fitRect(const QSize &picture, const QRect &area)
{
    if (picture.isEmpty() || area.isEmpty())
        return {};
    const QSize size = picture.scaled(area.size(), Qt::KeepAspectRatio);
    return {area.x() + (area.width() - size.width()) / 2,
            area.y() + (area.height() - size.height()) / 2, size.width(), size.height()};
}

bool FullscreenViewer::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_photoLabel && event->type() == QEvent::Resize)
        renderPhoto();
    return QDialog::eventFilter(watched, event);
}

void FullscreenViewer::renderPhoto()
{
    if (!m_photoLabel)
        return;
    const QRect area = m_photoLabel->contentsRect();
    const qreal ratio = m_photoLabel->devicePixelRatioF();
    const QRect fit = fitRect(m_photo.size(), QRect(QPoint(0, 0), area.size() * ratio));
    if (fit.isEmpty()) {
        m_photoLabel->clear();
        return;
    }
    QPixmap pixmap = QPixmap::fromImage(
        m_photo.scaled(fit.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    pixmap.setDevicePixelRatio(ratio);
    m_photoLabel->setPixmap(pixmap);
}
