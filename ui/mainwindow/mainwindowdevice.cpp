// The main window's side of the device link: the control channel's events,
// the delayed start of the live view, resolution switching and the WiFi poll.
#include "ui/mainwindow/mainwindow.h"

#include "device/networkhandler.h"
#include "device/wifiparsing.h"
#include "device/wifisignalsource.h"
#include "stream/streamdisplaywidget.h"

#include <QDebug>
#include <QPushButton>
#include <QRegularExpression>
#include <QTimer>

namespace {

// Each call arms its own shot, bound to the window; a named child timer rather
// than QTimer::singleShot, so that the delay it was armed with can be checked.
template <typename Functor>
void startShot(MainWindow *window, const char *name, int delayMs, Functor &&action)
{
    auto *timer = new QTimer(window);
    timer->setObjectName(QLatin1String(name));
    timer->setSingleShot(true);
    QObject::connect(timer, &QTimer::timeout, window, [timer, action] {
        timer->deleteLater();
        action();
    });
    timer->start(delayMs);
}

} // namespace

void MainWindow::createDeviceLink()
{
    m_networkHandler = new NetworkHandler(this);
    // Parented here until the inspection page places it in the live-view frame.
    m_streamWidget = new StreamDisplayWidget(this);
    m_streamWidget->setMinimumSize(320, 240);

    connect(m_networkHandler, &NetworkHandler::statusUpdated, this,
            &MainWindow::onNetworkStatusUpdated);
    connect(m_networkHandler, &NetworkHandler::connected, this, &MainWindow::onDeviceConnected);
    connect(m_networkHandler, &NetworkHandler::disconnected, this,
            &MainWindow::onDeviceDisconnected);
    connect(m_networkHandler, &NetworkHandler::devicePhotograph, this,
            &MainWindow::onDevicePhotograph);
    connect(m_networkHandler, &NetworkHandler::resolutionConfirmed, this,
            &MainWindow::onResolutionConfirmed);
}

// The settings page shows what the device answered, whatever was asked of it.
void MainWindow::onResolutionConfirmed(const QString &resolution)
{
    static const QRegularExpression size(QStringLiteral("^\\d+\\*\\d+$"));
    if (!m_resolutionButton || !size.match(resolution).hasMatch())
        return;
    m_resolutionButton->setText(QString(resolution).replace(QLatin1Char('*'), QChar(0x00d7)));
    syncSettingsPage();
}

void MainWindow::onNetworkStatusUpdated(const QString &status)
{
    qDebug() << "状态更新:" << status;
}

void MainWindow::onDeviceConnected()
{
    qDebug() << "设备已连接，更新UI状态";
    m_deviceConnected = true;
    updateDeviceStateUi();
    m_streamWidget->setDeviceLinkUp(true);
    // The device needs a moment after the control connection before it serves the stream.
    qDebug() << "设置延迟启动视频流，等待3秒...";
    startShot(this, "streamStartTimer", StreamStartDelayMs, [this] { startStreamAfterDelay(); });
}

void MainWindow::startStreamAfterDelay()
{
    qDebug() << "延迟时间到，检查连接状态...";
    if (!m_networkHandler || !m_streamWidget) {
        qDebug() << "对象已被销毁";
        return;
    }
    if (!m_networkHandler->isConnected()) {
        qDebug() << "设备未连接，跳过启动视频流";
        return;
    }
    const QString url = m_networkHandler->streamUrl();
    qDebug() << "开始启动视频流:" << url;
    m_streamWidget->startStream(url);
    qDebug() << "视频流启动完成";
}

void MainWindow::onDeviceDisconnected()
{
    qDebug() << "设备已断开，更新UI状态";
    m_deviceConnected = false;
    updateDeviceStateUi();
    m_streamWidget->setDeviceLinkUp(false);
    m_streamWidget->resetStream();
}

void MainWindow::onDevicePhotograph()
{
    qDebug() << "设备按键拍照";
    capturePhoto(); // the device's button works even while the capture button is disabled
}

void MainWindow::setChosenResolution(const QString &resolution)
{
    static const QRegularExpression size(QStringLiteral("^\\d{1,5}\\*\\d{1,5}$"));
    if (!resolution.isEmpty() && !size.match(resolution).hasMatch()) {
        qDebug() << "忽略无效的分辨率:" << resolution;
        return;
    }
    m_chosenResolution = resolution;
    m_networkHandler->setInitialResolution(resolution);
    if (!resolution.isEmpty() && m_resolutionButton) {
        m_resolutionButton->setText(QString(resolution).replace(QLatin1Char('*'), QChar(0x00d7)));
        syncSettingsPage();
    }
}

void MainWindow::changeResolution(const QString &resolution, const QString &displayText)
{
    qDebug() << "切换分辨率为:" << displayText;
    // Sent again after every reconnection, which would otherwise fall back to 1280*720.
    m_chosenResolution = resolution;
    m_networkHandler->setInitialResolution(resolution);
    if (m_resolutionButton)
        m_resolutionButton->setText(displayText);
    if (m_streamWidget && m_streamWidget->isPlaying()) {
        m_streamWidget->stopStream();
        qDebug() << "停止视频流";
    }
    if (m_networkHandler) {
        m_networkHandler->setResolution(resolution);
        qDebug() << "发送分辨率命令:" << resolution;
    }
    // The camera needs this long to switch before it serves the new size.
    qDebug() << "设置定时器，2.5秒后重启视频流";
    startShot(this, "resolutionRestartTimer", ResolutionRestartDelayMs,
              [this, displayText] { restartStreamAfterResolutionChange(displayText); });
    qDebug() << "changeResolution 函数执行完毕，等待定时器触发";
}

void MainWindow::restartStreamAfterResolutionChange(const QString &displayText)
{
    qDebug() << "===== 延迟回调开始执行 =====";
    qDebug() << "检查对象指针: m_networkHandler=" << static_cast<void *>(m_networkHandler)
             << ", m_streamWidget=" << static_cast<void *>(m_streamWidget);
    if (!m_networkHandler || !m_streamWidget) {
        qDebug() << "错误: 对象指针为空，取消分辨率切换";
        return;
    }
    const bool connected = m_networkHandler->isConnected();
    qDebug() << "检查设备连接状态:" << (connected ? "true" : "false");
    if (connected) {
        const QString url = m_networkHandler->streamUrl();
        qDebug() << "准备重新启动视频流，URL:" << url;
        m_streamWidget->startStream(url);
        qDebug() << "视频流重启完成，分辨率:" << displayText;
    } else {
        qDebug() << "设备未连接，无法启动视频流";
    }
    qDebug() << "===== 延迟回调执行完毕 =====";
}

void MainWindow::pollWifiSignal()
{
    // Only the otoscope's own network is of interest; any other WiFi says nothing about it.
    if (!WifiParsing::isOnDeviceNetwork(WifiParsing::machineAddresses())) {
        m_lastWifiPercent = -1;
        updateWifiSignal(-1);
        return;
    }
    if (!m_wifiSource)
        setWifiSignalSource(WifiSignalSource::create(this));
    m_wifiSource->requestPercent();
}

void MainWindow::setWifiSignalSource(WifiSignalSource *source)
{
    delete m_wifiSource;
    m_wifiSource = source;
    m_wifiSource->setParent(this);
    connect(m_wifiSource, &WifiSignalSource::percentMeasured, this,
            &MainWindow::onWifiPercentMeasured);
}

void MainWindow::onWifiPercentMeasured(int percent)
{
    m_lastWifiPercent = percent;
    updateWifiSignal(percent);
}
