#pragma once

#include "records/customer.h"

#include <QMainWindow>
#include <QString>

class AboutPage;
class FitterPage;
class NetworkHandler;
class OrderDetailPage;
class OrderPage;
class QFrame;
class QHBoxLayout;
class QLabel;
class QPushButton;
class QStackedWidget;
class QTimer;
class SaveReportPage;
class SettingsPage;
class StreamDisplayWidget;
class WifiSignalSource;

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
    SettingsPage *settingsPage() const { return m_settingsPage; }
    AboutPage *aboutPage() const { return m_aboutPage; }
    // The display text of the current stream resolution ("1920×1080").
    QString resolutionText() const;

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

    // Records pages: the order form and the fitter list (mainwindow.cpp)
public:
    SaveReportPage *saveReportPage() const { return m_saveReportPage; }
    FitterPage *fitterPage() const { return m_fitterPage; }
    bool hasInspectionContext() const { return m_hasInspectionContext; }
    Customer draftCustomer() const { return m_draftCustomer; }

public slots:
    void onSaveReportBackRequested();
    void onReportSaved(const Customer &customer);
    void onProceedToInspection(const Customer &draftCustomer);
    // The order list's new-order and edit requests.
    void onOrderConfigRequested();
    void onOrderEditRequested(int customerId);

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
    void addAboutAndSettingsPages();
    void onSettingsBackRequested();
    void onSettingsResolutionSelected(const QString &resolution, const QString &displayText);
    void onSettingsLanguageSelected(const QString &languageCode);
    void applyWifiRowArrangement();
    void choosePhotoFolder();
    void wireRecordPages();
    void clearInspectionContext();

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
    FitterPage *m_fitterPage = nullptr;
    SaveReportPage *m_saveReportPage = nullptr;
    OrderPage *m_orderPage = nullptr;
    OrderDetailPage *m_orderDetailPage = nullptr;
    AboutPage *m_aboutPage = nullptr;
    SettingsPage *m_settingsPage = nullptr;

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

    // Device link and live view (mainwindowdevice.cpp; the live-view frame in
    // mainwindowinspection.cpp)
public:
    static constexpr int AutoConnectDelayMs = 500;
    static constexpr int StreamStartDelayMs = 3000;
    static constexpr int ResolutionRestartDelayMs = 2500;

    NetworkHandler *networkHandler() const { return m_networkHandler; }
    StreamDisplayWidget *streamWidget() const { return m_streamWidget; }
    // Stops the live view, sends the resolution and restarts the view 2.5 s later.
    void changeResolution(const QString &resolution, const QString &displayText);
    // Replaces the platform's WiFi signal source (takes ownership).
    void setWifiSignalSource(WifiSignalSource *source);

public slots:
    void onDeviceConnected();
    void onDeviceDisconnected();
    void onDevicePhotograph();
    void onNetworkStatusUpdated(const QString &status);

private:
    void createDeviceLink();
    QWidget *buildCenterPanel();
    void startStreamAfterDelay();
    void restartStreamAfterResolutionChange(const QString &displayText);
    void onWifiPercentMeasured(int percent);

    NetworkHandler *m_networkHandler = nullptr;
    StreamDisplayWidget *m_streamWidget = nullptr;
    WifiSignalSource *m_wifiSource = nullptr;
    QWidget *m_centerPanel = nullptr;
    QStackedWidget *m_centerStack = nullptr;
    QFrame *m_streamContainer = nullptr;
};
