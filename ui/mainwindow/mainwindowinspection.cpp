#include "ui/mainwindow/mainwindow.h"

#include "stream/streamdisplaywidget.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace {

const QString StreamContainerStyle =
    QStringLiteral("QFrame#streamContainer { background-color: white; border: 1px solid %1; "
                   "border-radius: 20px; }");

} // namespace

// The page card holds the work row (centre panel, then the right panel with
// the ear selector and photo list) above the action row (context banner,
// capture, save report). Each block is built by a function of its own.
QWidget *MainWindow::buildInspectionPage()
{
    m_contentCard = new QFrame;
    m_contentCard->setObjectName(QStringLiteral("contentCard"));
    m_contentCard->setStyleSheet(
        QStringLiteral("QFrame#contentCard { background-color: white; border-radius: 31px; }"));
    auto *layout = new QVBoxLayout(m_contentCard);
    layout->setContentsMargins(32, 28, 32, 0);
    layout->setSpacing(0);

    auto *workRow = new QHBoxLayout;
    workRow->setSpacing(9);
    workRow->addWidget(buildCenterPanel(), 1);
    layout->addLayout(workRow, 1);

    // Holders of state the settings page reads and drives; never shown.
    m_resolutionButton = new QPushButton(QStringLiteral("1920×1080"), this);
    m_resolutionButton->hide();
    m_languageButton = new QPushButton(this);
    m_languageButton->hide();
    m_photoPathButton = new QPushButton(this);
    m_photoPathButton->hide();
    return m_contentCard;
}

// The centre stack: index 0 the live view, index 1 (to come) one photo enlarged.
QWidget *MainWindow::buildCenterPanel()
{
    auto *panel = new QFrame;
    panel->setObjectName(QStringLiteral("centerPanel"));
    panel->setStyleSheet(QStringLiteral("QFrame#centerPanel { background: transparent; }"));
    auto *panelLayout = new QVBoxLayout(panel);
    panelLayout->setContentsMargins(0, 0, 0, 0);
    panelLayout->setSpacing(0);

    m_centerStack = new QStackedWidget(panel);
    m_centerStack->setObjectName(QStringLiteral("centerStack"));
    m_centerStack->setStyleSheet(QStringLiteral("QStackedWidget#centerStack { background: "
                                                "transparent; }"));
    panelLayout->addWidget(m_centerStack);

    m_streamContainer = new QFrame;
    m_streamContainer->setObjectName(QStringLiteral("streamContainer"));
    m_streamContainer->setStyleSheet(StreamContainerStyle.arg(QStringLiteral("#e3e3e3")));
    auto *streamLayout = new QVBoxLayout(m_streamContainer);
    streamLayout->setContentsMargins(2, 2, 2, 2);
    streamLayout->setSpacing(0);
    streamLayout->addWidget(m_streamWidget);
    m_centerStack->addWidget(m_streamContainer);
    m_centerPanel = panel;
    return panel;
}

void MainWindow::retranslateInspectionPage() {}

void MainWindow::applyResponsiveLayout() {}

void MainWindow::updateDeviceStateUi()
{
    // Ear buttons, capture and save-report buttons and the photo list follow
    // here with the rest of the page; then the frames' borders.
    if (m_streamContainer) {
        m_streamContainer->setStyleSheet(StreamContainerStyle.arg(
            m_deviceConnected ? QStringLiteral("#e6e6e6") : QStringLiteral("#e3e3e3")));
    }
}

void MainWindow::refreshPhotoList() {}
