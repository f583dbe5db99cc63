#include "ui/mainwindow/mainwindow.h"

#include <QFrame>
#include <QPushButton>
#include <QVBoxLayout>

QWidget *MainWindow::buildInspectionPage()
{
    m_contentCard = new QFrame;
    m_contentCard->setObjectName(QStringLiteral("contentCard"));
    m_contentCard->setStyleSheet(
        QStringLiteral("QFrame#contentCard { background-color: white; border-radius: 31px; }"));
    auto *layout = new QVBoxLayout(m_contentCard);
    layout->setContentsMargins(32, 28, 32, 0);
    layout->setSpacing(0);

    // Holders of state the settings page reads and drives; never shown.
    m_resolutionButton = new QPushButton(QStringLiteral("1920×1080"), this);
    m_resolutionButton->hide();
    m_languageButton = new QPushButton(this);
    m_languageButton->hide();
    m_photoPathButton = new QPushButton(this);
    m_photoPathButton->hide();
    return m_contentCard;
}

void MainWindow::retranslateInspectionPage() {}

void MainWindow::applyResponsiveLayout() {}

void MainWindow::updateDeviceStateUi() {}

void MainWindow::refreshPhotoList() {}
