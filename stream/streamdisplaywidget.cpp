#include "stream/streamdisplaywidget.h"

#include "i18n/langmanager.h"
#include "stream/jpegdecoder.h"

#include <QDeadlineTimer>
#include <QDebug>
#include <QLabel>
#include <QMouseEvent>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkRequest>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>

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

    connect(LangManager::instance(), &LangManager::languageChanged, this,
            &StreamDisplayWidget::retranslate);
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
    if (!source)
        return;
    stopStream();
    connect(source, &StreamDisplayWidget::frameShown, this, &StreamDisplayWidget::showFrame);
    connect(source, &StreamDisplayWidget::textShown, this, &StreamDisplayWidget::showSourceText);
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
    // Older frames of the same read are already stale: only the newest is decoded.
    if (result.frames > 0)
        showFrame(result.newest);
}

void StreamDisplayWidget::showFrame(const QByteArray &jpeg)
{
    QSize target = m_label->size();
    if (target.width() < 1 || target.height() < 1)
        target = size();

    ++m_decodedFrames;
    QImage fullFrame;
    QImage picture;
    if (target.width() < 1 || target.height() < 1)
        picture = fullFrame = JpegDecoder::decode(jpeg);
    else
        picture = m_composer.compose(jpeg, target, &fullFrame, devicePixelRatioF());
    if (picture.isNull())
        return; // a corrupt frame is skipped; the frame timeout notices when none follow

    m_label->setPixmap(QPixmap::fromImage(std::move(picture)));
    m_latestJpeg = jpeg;
    m_latestFrame = fullFrame;
    if (!m_source) // shared bytes, no copy
        m_recentFrames.add(jpeg, QDeadlineTimer::current().deadline(), m_focusScorer.measure(jpeg));
    if (!m_source) // a follower learns of a stall from its source's text
        m_frameTimer->start(FrameTimeoutMs);
    emit frameShown(jpeg);
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
}
