#pragma once

#include "records/customer.h"

#include <QMainWindow>
#include <QString>

class OrderDetailPage;
class OrderPage;
class QFrame;
class QHBoxLayout;
class QLabel;
class QPushButton;
class QStackedWidget;
class QTimer;

// The only top-level window: the left navigation, the page stack and the
// inspection page, which lives in the window's own members.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;

    QString photoFolder() const { return m_photoFolder; }
    int previousPageIndex() const { return m_previousPageIndex; }
    QStackedWidget *pageStack() const { return m_pageStack; }

    // Restyles the three visible entries: 0 orders, 1 inspection, 2 settings, -1 none.
    void updateNavigation(int entry);
    // Applies a signal percentage to the WiFi dot and text (-1: no device network).
    void updateWifiSignal(int percent);

public slots:
    void onOrderBtnClicked();
    void onInspectBtnClicked();
    void onSettingsBtnClicked();
    void onFitterBtnClicked();
    void onResolutionButtonClicked();
    void onLanguageButtonClicked();
    void onSettingsResolutionRequested();
    void onSettingsLanguageRequested();
    void onSettingsOpenPhotoFolderRequested();
    void onSettingsChangePhotoFolderRequested();
    void pollWifiSignal();
    void onPhotoPathButtonClicked();

    void retranslateUi();

protected:
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Frame (mainwindow.cpp)
    QWidget *buildLeftPanel();
    QPushButton *buildNavButton(const QString &textName, QLabel **iconLabel, int height,
                                const QMargins &margins, Qt::Alignment alignment, int gap);
    void buildPageStack();
    void wireFrame();
    void centerOnScreen();
    void showPage(int index, int navEntry);
    void syncSettingsPage();
    void applyWifiRowArrangement();
    void choosePhotoFolder();

    // Order list and order detail pages (mainwindoworders.cpp)
    OrderPage *addOrderPage();
    OrderDetailPage *addOrderDetailPage();
    void onOrderDetailRequested(int customerId);
    void onOrderDetailBackRequested();

    // Inspection page (mainwindowinspection.cpp)
    QWidget *buildInspectionPage();
    void retranslateInspectionPage();
    void applyResponsiveLayout();
    void updateDeviceStateUi();
    void refreshPhotoList();

    // Frame members
    QStackedWidget *m_pageStack = nullptr;
    QWidget *m_fitterPage = nullptr;
    QWidget *m_saveReportPage = nullptr;
    OrderPage *m_orderPage = nullptr;
    OrderDetailPage *m_orderDetailPage = nullptr;
    QWidget *m_aboutPage = nullptr;
    QWidget *m_settingsPage = nullptr;

    QPushButton *m_orderNavButton = nullptr;
    QPushButton *m_inspectNavButton = nullptr;
    QPushButton *m_settingsNavButton = nullptr;
    QPushButton *m_fitterNavButton = nullptr;
    QLabel *m_orderNavIcon = nullptr;
    QLabel *m_inspectNavIcon = nullptr;
    QLabel *m_settingsNavIcon = nullptr;

    int m_previousPageIndex = 0;
    QTimer *m_wifiPollTimer = nullptr;
    QWidget *m_wifiRow = nullptr;
    QHBoxLayout *m_wifiRowLayout = nullptr;
    QLabel *m_wifiSignalDot = nullptr;
    QLabel *m_wifiSignalLabel = nullptr;
    int m_lastWifiPercent = -1;

    QPushButton *m_resolutionButton = nullptr;
    QPushButton *m_languageButton = nullptr;
    QPushButton *m_photoPathButton = nullptr;
    QString m_photoFolder;

    // Inspection page state
    bool m_leftEarSelected = true;
    bool m_deviceConnected = false;
    bool m_hasInspectionContext = false;
    Customer m_draftCustomer;
    int m_viewedPhotoIndex = -1;
    QFrame *m_contentCard = nullptr;
};
