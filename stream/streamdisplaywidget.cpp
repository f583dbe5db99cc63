#include "stream/streamdisplaywidget.h"

#include "i18n/langmanager.h"
#include "stream/jpegdecoder.h"

#include <QCursor>
#include <QDeadlineTimer>
#include <QDebug>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkRequest>
#include <QPainter>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <utility>

StreamDisplayWidget::StreamDisplayWidget(QWidget *parent)
    : QWidget(parent), m_label(new QLabel(this)), m_network(new QNetworkAccessManager(this)),
      m_frameTimer(new QTimer(this)), m_retryTimer(new QTimer(this))
{
    // The camera is on its own WiFi; a system proxy can never reach it.
    m_network->setProxy(QNetworkProxy(QNetworkProxy::NoProxy));

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_label);
    m_label->setAlignment(Qt::AlignCenter);
    m_label->setScaledContents(false);
    m_label->setAttribute(Qt::WA_TranslucentBackground);
    setStatusTextColor(QStringLiteral("#333333"));
    // A frame must never make the view grow; it is always composed at the view's size.
    m_label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    setAttribute(Qt::WA_TranslucentBackground);
    setStyleSheet(QStringLiteral("background: transparent; border: none;"));

    // Frozen: an orange rim and a tag in the top-left corner, seen at a glance.
    m_frozenBorder = new QFrame(this);
    m_frozenBorder->setObjectName(QStringLiteral("frozenBorder"));
    m_frozenBorder->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_frozenBorder->setStyleSheet(
        QStringLiteral("QFrame#frozenBorder { border: 3px solid #ec5c0b; border-radius: 20px; "
                       "background: transparent; }"));
    m_frozenBorder->hide();
    m_frozenMarker = new QFrame(this);
    m_frozenMarker->setObjectName(QStringLiteral("frozenMarker"));
    m_frozenMarker->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_frozenMarker->setStyleSheet(QStringLiteral(
        "QFrame#frozenMarker { background: rgba(236,92,11,235); border-radius: 15px; }"
        "QLabel { background: transparent; color: white; font-size: 13px; font-weight: 700; "
        "border: none; }"));
    auto *markerLayout = new QHBoxLayout(m_frozenMarker);
    markerLayout->setContentsMargins(12, 0, 14, 0);
    markerLayout->setSpacing(8);
    auto *pauseIcon = new QLabel(m_frozenMarker);
    QPixmap bars(QSize(10, 12) * 2);
    bars.fill(Qt::transparent);
    {
        QPainter painter(&bars);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(Qt::white);
        painter.drawRoundedRect(QRectF(0, 0, 7, 24), 2, 2);
        painter.drawRoundedRect(QRectF(13, 0, 7, 24), 2, 2);
    }
    bars.setDevicePixelRatio(2);
    pauseIcon->setPixmap(bars);
    markerLayout->addWidget(pauseIcon);
    m_frozenText = new QLabel(m_frozenMarker);
    m_frozenText->setTextFormat(Qt::PlainText);
    markerLayout->addWidget(m_frozenText);
    m_frozenMarker->setFixedHeight(30);
    m_frozenMarker->hide();

    connect(LangManager::instance(), &LangManager::languageChanged, this,
            &StreamDisplayWidget::retranslate);
    retranslate();
    showStateText(Idle);
    // Named, so that the view's timing can be checked from outside.
    m_frameTimer->setObjectName(QStringLiteral("frameTimer"));
    m_frameTimer->setSingleShot(true);
    connect(m_frameTimer, &QTimer::timeout, this, &StreamDisplayWidget::onFrameTimeout);
    m_retryTimer->setObjectName(QStringLiteral("errorRetryTimer"));
    m_retryTimer->setSingleShot(true);
    connect(m_retryTimer, &QTimer::timeout, this, [this] {
        if (!m_streamUrl.isEmpty())
            startStream(m_streamUrl);
    });
}

StreamDisplayWidget::~StreamDisplayWidget()
{
    stopStream();
}

void StreamDisplayWidget::startStream(const QString &url)
{
    if (url.isEmpty()) {
        m_state = InvalidUrl;
        showStateText(InvalidUrl);
        qDebug() << "Error: invalid stream URL";
        return;
    }
    if (m_source)
        followStream(nullptr);
    m_streamUrl = url;
    m_frameTimer->stop();
    m_retryTimer->stop();
    dropReply();
    m_extractor.clear();
    m_playing = false;
    qDebug() << "开始播放MJPEG视频流:" << url;
    m_reply = m_network->get(QNetworkRequest(QUrl(url, QUrl::TolerantMode)));
    connect(m_reply, &QNetworkReply::readyRead, this, &StreamDisplayWidget::onReadyRead);
    connect(m_reply, &QNetworkReply::errorOccurred, this, &StreamDisplayWidget::onError);
    m_playing = true;
    m_frameTimer->start(FrameTimeoutMs);
}

void StreamDisplayWidget::stopStream()
{
    endFreeze();
    m_streamUrl = QString();
    m_frameTimer->stop();
    m_retryTimer->stop();
    dropReply();
    m_extractor.clear();
    if (m_playing) {
        qDebug() << "Stream stopped";
        showStateText(Stopped);
        m_playing = false;
    } else if (m_state == Idle && m_label->pixmap().isNull()) {
        showStateText(Idle); // no retry is pending any more
    }
}

void StreamDisplayWidget::resetStream()
{
    endFreeze();
    m_streamUrl = QString();
    m_frameTimer->stop();
    m_retryTimer->stop();
    dropReply();
    m_extractor.clear();
    m_playing = false;
    showStateText(Idle);
}

bool StreamDisplayWidget::isPlaying() const
{
    return m_source ? m_source->isPlaying() : m_playing;
}

void StreamDisplayWidget::setStatusTextColor(const QString &color)
{
    m_label->setStyleSheet(QStringLiteral("QLabel {   background-color: transparent;   color: "
                                          "%1;   font-size: 16px;   font-weight: 400;   "
                                          "border: none;}")
                               .arg(color));
}

void StreamDisplayWidget::followStream(StreamDisplayWidget *source)
{
    if (m_source)
        disconnect(m_source, nullptr, this, nullptr);
    m_source = source;
    updateFrozenLook();
    if (!source)
        return;
    stopStream();
    connect(source, &StreamDisplayWidget::frameShown, this, &StreamDisplayWidget::showFrame);
    connect(source, &StreamDisplayWidget::textShown, this, &StreamDisplayWidget::showSourceText);
    connect(source, &StreamDisplayWidget::frozenChanged, this,
            &StreamDisplayWidget::onSourceFrozenChanged);
    // The picture the source shows now, rather than nothing until its next frame.
    if (!source->m_latestJpeg.isEmpty())
        showFrame(source->m_latestJpeg);
    else
        showSourceText();
}

void StreamDisplayWidget::showSourceText()
{
    if (!m_source)
        return;
    m_state = m_source->m_state;
    m_label->setText(m_source->m_label->text());
    m_latestJpeg.clear();
    m_latestFrame = QImage();
}

void StreamDisplayWidget::setDeviceLinkUp(bool up)
{
    m_deviceLinkUp = up;
    if (m_state == Idle && m_label->pixmap().isNull())
        showStateText(Idle);
}

QPixmap StreamDisplayWidget::currentFrame() const
{
    return m_label->pixmap();
}

const FrameRing &StreamDisplayWidget::recentFrames() const
{
    return m_source ? m_source->recentFrames() : m_recentFrames;
}

QImage StreamDisplayWidget::latestFrame() const
{
    // The view may have decoded a reduced picture; the full one is made on demand.
    if (m_latestFrame.isNull() && !m_latestJpeg.isEmpty())
        m_latestFrame = JpegDecoder::decode(m_latestJpeg);
    return m_latestFrame;
}

void StreamDisplayWidget::dropReply(bool abort)
{
    if (!m_reply)
        return;
    // Disconnected first, so the view never sees the cancellation of its own request.
    disconnect(m_reply, nullptr, this, nullptr);
    if (abort)
        m_reply->abort();
    m_reply->deleteLater();
    m_reply = nullptr;
}

void StreamDisplayWidget::onReadyRead()
{
    if (!m_reply)
        return;
    m_extractor.append(m_reply->readAll());
    const MjpegFrameExtractor::Result result = m_extractor.takeNewestFrame();
    if (result.droppedBytes > 0)
        qDebug() << "视频流数据超出上限，已丢弃字节:" << result.droppedBytes;
    if (m_frozen && result.frames > 0) {
        // Not decoded while nobody sees it; it proves the stream alive.
        m_pendingJpeg = result.newest;
        m_textDue = false;
        m_frameTimer->start(FrameTimeoutMs);
        return;
    }
    // Older frames of the same read are already stale: only the newest is decoded.
    if (result.frames > 0)
        showFrame(result.newest);
}

void StreamDisplayWidget::showFrame(const QByteArray &jpeg)
{
    ++m_decodedFrames;
    if (!composeFrame(jpeg))
        return; // a corrupt frame is skipped; the frame timeout notices when none follow
    m_latestJpeg = jpeg;
    if (!m_source) { // a follower learns of a stall from its source's text
        m_recentFrames.add(jpeg, QDeadlineTimer::current().deadline(),
                           m_focusScorer.measure(jpeg)); // shared bytes, no copy
        m_frameTimer->start(FrameTimeoutMs);
    }
    emit frameShown(jpeg);
}

bool StreamDisplayWidget::composeFrame(const QByteArray &jpeg)
{
    QSize target = m_label->size();
    if (target.width() < 1 || target.height() < 1)
        target = size();

    QImage fullFrame;
    QImage picture;
    if (target.width() < 1 || target.height() < 1)
        picture = fullFrame = JpegDecoder::decode(jpeg);
    else
        picture = m_composer.compose(jpeg, target, &fullFrame, devicePixelRatioF(), m_orientation,
                                     &m_zoom);
    if (picture.isNull())
        return false;
    m_label->setPixmap(QPixmap::fromImage(std::move(picture)));
    // A zoomed view decodes only a part; the whole frame of the same bytes
    // decoded before is kept.
    if (jpeg.constData() != m_latestJpeg.constData() || !fullFrame.isNull())
        m_latestFrame = fullFrame;
    return true;
}

void StreamDisplayWidget::recompose()
{
    if (!m_latestJpeg.isEmpty())
        composeFrame(m_latestJpeg);
}

void StreamDisplayWidget::setOrientation(const ImageOrientation &orientation)
{
    if (orientation == m_orientation)
        return;
    m_orientation = orientation;
    // The zoomed part of the old picture means nothing in the turned one.
    const bool wasZoomed = m_zoom.isZoomed();
    m_zoom.reset();
    recompose();
    updateCursor();
    if (wasZoomed)
        emit zoomChanged(m_zoom.zoom());
}

void StreamDisplayWidget::zoomBy(qreal steps, const QPointF &around)
{
    if (m_latestJpeg.isEmpty() || !m_zoom.stepAt(around, steps))
        return;
    recompose();
    updateCursor();
    emit zoomChanged(m_zoom.zoom());
}

void StreamDisplayWidget::zoomBy(qreal steps)
{
    // Around the pointer when it is over the picture, as the wheel does.
    const QPoint pointer = mapFromGlobal(QCursor::pos());
    zoomBy(steps, rect().contains(pointer) ? QPointF(pointer) : QPointF(rect().center()));
}

void StreamDisplayWidget::resetZoom()
{
    if (!m_zoom.isZoomed())
        return;
    m_zoom.reset();
    recompose();
    updateCursor();
    emit zoomChanged(m_zoom.zoom());
}

bool StreamDisplayWidget::setFrozen(bool frozen)
{
    if (m_source)
        return m_source->setFrozen(frozen);
    if (frozen == m_frozen)
        return true;
    if (frozen) {
        if (m_latestJpeg.isEmpty())
            return false; // nothing on screen to hold
        m_frozen = true;
        m_pendingJpeg.clear();
        m_textDue = false;
        qDebug() << "画面已冻结";
    } else {
        m_frozen = false;
        qDebug() << "画面已恢复实时";
        const QByteArray pending = std::exchange(m_pendingJpeg, QByteArray());
        if (std::exchange(m_textDue, false))
            showStateText(m_state);
        else if (!pending.isEmpty())
            showFrame(pending);
    }
    updateFrozenLook();
    emit frozenChanged(m_frozen);
    return true;
}

bool StreamDisplayWidget::isFrozen() const
{
    return m_source ? m_source->isFrozen() : m_frozen;
}

void StreamDisplayWidget::endFreeze()
{
    if (!m_frozen)
        return;
    m_frozen = false;
    m_pendingJpeg.clear();
    m_textDue = false;
    qDebug() << "画面已恢复实时";
    updateFrozenLook();
    emit frozenChanged(false);
}

void StreamDisplayWidget::onSourceFrozenChanged(bool frozen)
{
    updateFrozenLook();
    emit frozenChanged(frozen);
}

void StreamDisplayWidget::updateFrozenLook()
{
    const bool frozen = isFrozen();
    m_frozenBorder->setVisible(frozen);
    m_frozenMarker->setVisible(frozen);
    if (frozen) {
        // A picture held since a resize is composed at the new size.
        recompose();
        placeOverlays();
    }
}

void StreamDisplayWidget::setCornerWidget(QWidget *widget)
{
    m_cornerWidget = widget;
    if (widget) {
        widget->setParent(this);
        widget->show();
    }
    placeOverlays();
}

void StreamDisplayWidget::placeOverlays()
{
    constexpr int Inset = 12;
    m_frozenBorder->setGeometry(rect());
    m_frozenMarker->adjustSize();
    m_frozenMarker->move(Inset + 2, Inset + 2);
    m_frozenBorder->raise();
    m_frozenMarker->raise();
    if (m_cornerWidget) {
        m_cornerWidget->adjustSize();
        m_cornerWidget->move(width() - m_cornerWidget->width() - Inset, Inset);
        m_cornerWidget->raise();
    }
}

void StreamDisplayWidget::updateCursor()
{
    if (m_dragging)
        setCursor(Qt::ClosedHandCursor);
    else if (m_zoom.isZoomed())
        setCursor(Qt::OpenHandCursor);
    else
        unsetCursor();
}

void StreamDisplayWidget::onError(QNetworkReply::NetworkError error)
{
    if (error == QNetworkReply::OperationCanceledError) {
        qDebug() << "操作已取消（正常）";
        return;
    }
    if (!m_playing)
        return;
    qDebug() << "网络错误:" << error;
    m_playing = false;
    m_frameTimer->stop();
    dropReply(false); // it has failed already; aborting it again confuses the reply
    m_extractor.clear();
    showStateText(Idle);
    if (m_streamUrl.isEmpty()) {
        showStateText(NetworkError);
        return;
    }
    qDebug() << "2秒后自动重连视频流...";
    m_retryTimer->start(ErrorRetryDelayMs);
}

void StreamDisplayWidget::retranslate()
{
    m_frozenText->setText(uiText(QStringLiteral("stream.frozen"), QStringLiteral("画面已冻结")));
    if (m_frozenMarker->isVisible())
        placeOverlays();
    if (m_frozen)
        return; // the held picture stays; its state text comes after the freeze
    if (m_source) {
        // The source retranslates its own text; a picture needs no text.
        if (m_latestJpeg.isEmpty())
            showSourceText();
        return;
    }
    showStateText(m_state);
}

void StreamDisplayWidget::onFrameTimeout()
{
    qDebug() << "视频帧超时：3秒内未收到新画面，清屏并重新连接流...";
    showStateText(Idle);
    if (!m_streamUrl.isEmpty())
        startStream(m_streamUrl);
}

void StreamDisplayWidget::showStateText(StreamState state)
{
    m_state = state;
    if (m_frozen) {
        // The held picture stays; the text is shown once the user lets go of it.
        m_textDue = true;
        m_pendingJpeg.clear();
        return;
    }
    QString text;
    switch (state) {
    case Idle:
        // A stored address means a request is running or retried soon.
        text =
            awaitsPicture()
                ? uiText(QStringLiteral("stream.connecting"), QStringLiteral("正在连接视频流..."))
                : uiText(QStringLiteral("inspect.no_device"), QStringLiteral("设备未连接"));
        break;
    case InvalidUrl:
        text = uiText(QStringLiteral("stream.invalid_url"), QStringLiteral("无效的流地址"));
        break;
    case Stopped:
        text = uiText(QStringLiteral("stream.stopped"), QStringLiteral("视频流已停止"));
        break;
    case NetworkError:
        text = uiText(QStringLiteral("stream.network_error"),
                      QStringLiteral("网络错误: 无法连接到视频流"));
        break;
    }
    m_label->setText(text); // replaces the picture
    m_latestJpeg.clear();
    m_recentFrames.clear(); // what came before a gap is no longer the picture
    m_latestFrame = QImage();
    emit textShown();
}

void StreamDisplayWidget::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (isPlaying())
        emit doubleClicked();
    event->accept();
}

void StreamDisplayWidget::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    placeOverlays();
    // A live picture is composed at the new size by the next frame; a held
    // one only here.
    if (isFrozen())
        recompose();
}

void StreamDisplayWidget::wheelEvent(QWheelEvent *event)
{
    const qreal steps = event->angleDelta().y() / 120.0;
    if (steps == 0 || m_latestJpeg.isEmpty()) {
        QWidget::wheelEvent(event);
        return;
    }
    zoomBy(steps, event->position());
    event->accept();
}

void StreamDisplayWidget::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || !m_zoom.isZoomed() || m_latestJpeg.isEmpty()) {
        QWidget::mousePressEvent(event);
        return;
    }
    m_dragging = true;
    m_dragFrom = event->position().toPoint();
    updateCursor();
    event->accept();
}

void StreamDisplayWidget::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_dragging) {
        QWidget::mouseMoveEvent(event);
        return;
    }
    const QPoint at = event->position().toPoint();
    const QPoint delta = at - std::exchange(m_dragFrom, at);
    if (m_zoom.panBy(QPointF(delta)))
        recompose();
    event->accept();
}

void StreamDisplayWidget::mouseReleaseEvent(QMouseEvent *event)
{
    if (!m_dragging) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    m_dragging = false;
    updateCursor();
    event->accept();
}
