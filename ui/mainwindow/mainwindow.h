#pragma once

#include "records/reportphoto.h"
#include "records/store/customer.h"
#include "stream/framering.h"
#include "stream/imageorientation.h"
#include "ui/mainwindow/earphotolist.h"
#include "ui/mainwindow/inspectionmetrics.h"
#include "ui/mainwindow/workspacejournal.h"

#include <QMainWindow>
#include <QPointer>
#include <QString>

class AboutPage;
class FitterPage;
class FullscreenViewer;
class LiveViewToolbar;
class NetworkHandler;
class OrderDetailPage;
class OrderPage;
class QCheckBox;
class QFrame;
class QHBoxLayout;
class QLabel;
class QPushButton;
class QScrollArea;
class QShortcut;
class QStackedWidget;
class QTimer;
class QVBoxLayout;
class ElidedLabel;
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

    // Offers back the photos that a run ended without closing the window
    // left in no order; from then on the workspace is noted on disk.
    void offerUnfiledPhotos();
    // The workspace photos that are in no order.
    int unfiledPhotoCount() const;

protected:
    void resizeEvent(QResizeEvent *event) override;
    // Asks before photos in no order leave the workspace with the window.
    void closeEvent(QCloseEvent *event) override;
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
    QWidget *buildRightPanel();
    QWidget *buildEarButton(bool left);
    QWidget *buildBatchArea();
    QWidget *buildPhotoPanel();
    QLayout *buildActionRow();
    QWidget *buildContextBanner();
    QWidget *buildPhotoView();
    void retranslateInspectionPage();
    void applyResponsiveLayout();
    void arrangeBatchArea(bool twoRows);
    void updateEarButtons();
    void updateDeviceStateUi();
    void updateSaveReportButton();
    void updateInspectionContext();
    void resetInspection();
    bool inspectionEventFilter(QObject *watched, QEvent *event);
    void updateCaptureShortcut();

    // Photo list (mainwindowphotolist.cpp)
    void refreshPhotoList();
    QFrame *buildThumbnail();
    void bindThumbnail(QFrame *item, int index, const QSize &itemSize);
    void applyPhotoListStyle();
    // Marks an item as the photo just taken or the one enlarged in the centre.
    void markThumbnail(QFrame *item, int index);
    void markThumbnails();
    // Brings the photo just taken into view and lights it up for a moment.
    void showNewPhoto(int index);
    // The number of photos of each ear on its button.
    void updateEarCounts();
    void leavePhotoView();
    void deleteFiles(const QStringList &files);
    // Asks, then removes photo `index` of `photos` with its file.
    void deletePhoto(EarPhotoList &photos, int index);

    // Photos in no order (mainwindowworkspace.cpp)
    void noteWorkspace();
    // True when a new inspection may empty the workspace: nothing unfiled
    // is in it, or the user agreed.
    bool confirmClearingWorkspace();

    // Saving (mainwindowsaving.cpp)
    QString saveConfirmText() const;
    // Marks the photos handed to the order just written as part of it.
    void fileHeldPhotos(const QString &orderNumber);

    // Centre photo view and full-screen viewers (mainwindowphotoview.cpp)
    void renderPhotoView();
    // The live view the user is looking at: the full-screen one while it is
    // open, else the page's. Captures take their frame from it.
    StreamDisplayWidget *shownLiveView() const;
    // Where a message about the live picture is seen: over the full-screen
    // view while it is open, else over the page's centre.
    QWidget *liveNoticeHost() const;

    // Capture (mainwindowcapture.cpp)
    // The frame a capture saves, at camera resolution: the frozen one, else
    // the sharpest of the view's last half second (or its newest, when the
    // user chose so); null when the view shows no picture.
    QImage captureFrame(const StreamDisplayWidget *view) const;
    static QList<double> scoreFrames(const QList<FrameRing::Frame> &frames);
    // Tells the user, without stopping them, that a capture found no picture.
    void reportNoPicture();

    EarPhotoList &currentPhotos() { return m_leftEarSelected ? m_leftPhotos : m_rightPhotos; }
    // The ear of the enlarged photo, which stays enlarged when the ear is switched.
    EarPhotoList &viewedPhotos() { return m_viewedLeftEar ? m_leftPhotos : m_rightPhotos; }

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
    bool m_viewedLeftEar = true;
    EarPhotoList m_leftPhotos{EarPhotoList::Left};
    EarPhotoList m_rightPhotos{EarPhotoList::Right};
    InspectionMetrics m_metrics;
    WorkspaceJournal m_journal{WorkspaceJournal::defaultPath()};
    bool m_journalEnabled = false;

    // Inspection page widgets
    QFrame *m_contentCard = nullptr;
    QVBoxLayout *m_cardLayout = nullptr;
    QHBoxLayout *m_workRow = nullptr;
    QHBoxLayout *m_actionRow = nullptr;
    QFrame *m_rightPanel = nullptr;
    QVBoxLayout *m_rightPanelLayout = nullptr;
    QWidget *m_saveHolder = nullptr;
    QHBoxLayout *m_earRow = nullptr;
    QPushButton *m_leftEarButton = nullptr;
    QPushButton *m_rightEarButton = nullptr;
    QLabel *m_leftEarIcon = nullptr;
    QLabel *m_rightEarIcon = nullptr;
    QLabel *m_leftEarText = nullptr;
    QLabel *m_rightEarText = nullptr;
    QWidget *m_batchArea = nullptr;
    QHBoxLayout *m_batchRowTop = nullptr;
    QHBoxLayout *m_batchRowBottom = nullptr;
    QWidget *m_batchRowBottomWidget = nullptr;
    QCheckBox *m_selectAllCheck = nullptr;
    QPushButton *m_batchSaveAsButton = nullptr;
    QPushButton *m_batchDeleteButton = nullptr;
    QPushButton *m_compareButton = nullptr;
    QFrame *m_photoPanel = nullptr;
    QScrollArea *m_photoList = nullptr;
    QWidget *m_photoListContent = nullptr;
    QVBoxLayout *m_photoListLayout = nullptr;
    QLabel *m_emptyPhotoLabel = nullptr;
    QList<QFrame *> m_thumbnailItems; // reused from rebuild to rebuild
    int m_freshPhotoIndex = -1;       // the photo just taken, lit up for a moment
    bool m_freshLeftEar = true;
    QTimer *m_freshTimer = nullptr;
    QString m_photoListStyleEar;
    int m_photoListBuiltWidth = -1;
    QPushButton *m_captureButton = nullptr;
    QLabel *m_captureText = nullptr;
    QPushButton *m_saveReportButton = nullptr;
    QShortcut *m_captureShortcut = nullptr;
    QWidget *m_contextBanner = nullptr;
    ElidedLabel *m_contextCustomerLabel = nullptr;
    ElidedLabel *m_contextOrderLabel = nullptr;
    QPushButton *m_backToStreamButton = nullptr;
    QLabel *m_photoViewLabel = nullptr;
    // The enlarged photo, decoded once per photo rather than once per resize.
    QImage m_viewedImage;
    QByteArray m_viewedImageJpeg; // the bytes m_viewedImage was decoded from

    // Inspection page: capture, photo list, saving (mainwindowinspection.cpp,
    // mainwindowcapture.cpp, mainwindowphotolist.cpp, mainwindowphotoview.cpp,
    // mainwindowsaving.cpp)
public:
    const EarPhotoList &leftPhotos() const { return m_leftPhotos; }
    const EarPhotoList &rightPhotos() const { return m_rightPhotos; }
    bool leftEarSelected() const { return m_leftEarSelected; }
    int viewedPhotoIndex() const { return m_viewedPhotoIndex; }
    // The captures' root folder for the rest of the run (created if missing).
    void setPhotoFolder(const QString &folder);
    // Takes the live view's newest frame into the current ear and writes its file.
    void capturePhoto();
    // Copies the ticked photos of the current ear into `folder`; the number written.
    int saveCheckedPhotosTo(const QString &folder);
    // The photos of the next order as they go into it (those not yet in an
    // order, and ticked ones that are): left ear first, then right, each in
    // capture order.
    QList<ReportPhoto> collectReportPhotos() const;

public slots:
    void onCaptureButtonClicked();
    void onSaveReportButtonClicked();
    void onLeftEarButtonClicked();
    void onRightEarButtonClicked();
    void onSelectAllToggled(bool checked);
    void onBatchDeleteButtonClicked();
    void onBatchSaveAsButtonClicked();
    void onThumbnailClicked(int index);
    void onDeletePhotoClicked(int index);
    void onViewDeleteBtnClicked();
    void onBackToStreamClicked();
    void onFullscreenBtnClicked();
    void onStreamDoubleClicked();
    void onInspectionContextCloseClicked();
    // Compares the two ticked photos of either ear (mainwindowcompare.cpp).
    void onCompareButtonClicked();

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
    // The resolution the user chose, as sent to the device ("1920*1080"), or
    // empty for none. It is sent again after every connection, since the
    // device forgets it; with none, every connection sets 1280*720.
    QString chosenResolution() const { return m_chosenResolution; }
    void setChosenResolution(const QString &resolution);

public slots:
    void onDeviceConnected();
    void onDeviceDisconnected();
    void onDevicePhotograph();
    void onResolutionConfirmed(const QString &resolution);
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
    QPointer<FullscreenViewer> m_liveViewer;
    QString m_chosenResolution;

    // Live-view tools: orientation, freeze and zoom (mainwindowviewtools.cpp)
public:
    // How the live picture and every capture are turned; kept per user.
    ImageOrientation viewOrientation() const { return m_orientation; }
    void setViewOrientation(const ImageOrientation &orientation);
    LiveViewToolbar *liveViewToolbar() const { return m_liveViewToolbar; }

public slots:
    void onRotateClockwise();
    void onRotateCounterclockwise();
    void onMirrorToggled();
    // Holds the live picture or lets go of it; the stream runs on.
    void onFreezeToggled();

private:
    // Applies one turn or mirror step to the live views and keeps it.
    void stepViewOrientation(void (ImageOrientation::*step)());
    // The tools bar on `view` and the keys of the tools on `keyHolder`
    // (the window, or the full-screen viewer).
    LiveViewToolbar *attachViewTools(StreamDisplayWidget *view);
    QList<QShortcut *> addViewShortcuts(QWidget *keyHolder);

    ImageOrientation m_orientation;
    LiveViewToolbar *m_liveViewToolbar = nullptr;
    QList<QShortcut *> m_viewShortcuts; // the window's; live with the page
};
