#include "ui/mainwindow/mainwindow.h"

#include "device/networkhandler.h"
#include "i18n/langmanager.h"
#include "records/fitterpage.h"
#include "records/orderdetailpage.h"
#include "records/orderpage.h"
#include "records/savereportpage.h"
#include "records/store/customerstore.h"
#include "records/store/recordstore.h"
#include "records/store/storealerts.h"
#include "reports/notespanel.h"
#include "reports/orderexport.h"
#include "reports/printpanel.h"
#include "settings/aboutpage.h"
#include "settings/settingspage.h"
#include "settings/usersettings.h"
#include "stream/streamdisplaywidget.h"
#include "ui/common/busyoverlay.h"
#include "ui/common/iconpixmap.h"
#include "ui/common/promptdialog.h"
#include "ui/mainwindow/logoimage.h"
#include "ui/mainwindow/navigationrules.h"
#include "ui/mainwindow/windowgeometry.h"

#include <QDebug>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QResizeEvent>
#include <QScreen>
#include <QSpacerItem>
#include <QStackedWidget>
#include <QStandardPaths>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>

namespace {

const QString NavTextStyle =
    QStringLiteral("QLabel { color: %1; font-size: 16px; background: transparent; }");
const QString HighlightColor = QStringLiteral("#ec5c0b");
const QString InactiveColor = QStringLiteral("#585656");
const QString WifiDotStyle =
    QStringLiteral("QLabel { background-color: %1; border-radius: 3px; border: none; }");

QRect primaryAvailableArea()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect();
}

} // namespace

MainWindow::MainWindow(QWidget *parent) : QMainWindow(parent)
{
    createDeviceLink();

    m_photoFolder = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation) +
                    QStringLiteral("/OtoscopePhotos");
    // A kept folder on a share that is not mounted today must not be recreated
    // on the local disk, where the photos would vanish under the mount.
    const QString keptFolder = UserSettings::instance().photoFolder();
    if (!keptFolder.isEmpty() && QFileInfo(keptFolder).isDir())
        m_photoFolder = keptFolder;
    else if (!keptFolder.isEmpty())
        qWarning() << "Kept photo folder" << keptFolder << "is missing; using" << m_photoFolder;

    setWindowTitle(QStringLiteral("Lumaural"));

    const WindowGeometry geometry = WindowGeometry::forAvailableArea(primaryAvailableArea());
    setMinimumSize(geometry.minimum);
    resize(geometry.size);
    if (geometry.maximized)
        setWindowState(windowState() | Qt::WindowMaximized);

    QDir().mkpath(m_photoFolder);

    auto *central = new QWidget(this);
    // Scoped to the central widget itself: as a bare declaration it would also
    // paint every label and row on the white page cards grey.
    central->setObjectName(QStringLiteral("centralWidget"));
    central->setStyleSheet(QStringLiteral("QWidget#centralWidget { background-color: #f7f8fc; }"));
    auto *row = new QHBoxLayout(central);
    row->setSpacing(24);
    row->setContentsMargins(0, 20, 24, 12);
    row->addWidget(buildLeftPanel(), 0);
    QWidget *inspectionPage = buildInspectionPage();
    m_pageStack = new QStackedWidget(central);
    m_pageStack->addWidget(inspectionPage);
    buildPageStack();
    row->addWidget(m_pageStack, 1);
    setCentralWidget(central);

    wireFrame();
    // Saving a large order store takes a while; the window keeps painting.
    CustomerStore::instance().setRunner([this](const std::function<bool()> &job) {
        return BusyOverlay::run(
            this, uiText(QStringLiteral("store.saving"), QStringLiteral("正在保存，请稍候…")), job);
    });
    updateNavigation(NavEntry::Inspection);
    connect(LangManager::instance(), &LangManager::languageChanged, this,
            &MainWindow::retranslateUi);
    // A page showing an empty list must not pass for an empty store file. Queued:
    // the pages read the stores while being built, before the window is placed.
    connect(
        StoreAlerts::instance(), &StoreAlerts::fileLeftAlone, this,
        [this](const QString &path, StoreAlerts::Problem problem) {
            showPromptMessage(this, StoreAlerts::message(path, problem));
        },
        Qt::QueuedConnection);
    retranslateUi();
    updateDeviceStateUi();
    applyResponsiveLayout();
    syncSettingsPage();
    // Before the first connection, so a kept choice is the device's first setting.
    setChosenResolution(UserSettings::instance().resolution());

    QTimer::singleShot(0, this, &MainWindow::centerOnScreen);
    m_wifiPollTimer = new QTimer(this);
    connect(m_wifiPollTimer, &QTimer::timeout, this, &MainWindow::pollWifiSignal);
    m_wifiPollTimer->start(3000);
    QTimer::singleShot(800, this, &MainWindow::pollWifiSignal);
    // Once the window is up and has read what it shows first.
    QTimer::singleShot(5000, this, [this] {
        m_settingsPage->startAutomaticBackupIfDue(QDateTime::currentDateTime());
    });
    QTimer::singleShot(AutoConnectDelayMs, this, [this] {
        qDebug() << "自动连接设备...";
        m_networkHandler->connectToDevice();
    });
}

MainWindow::~MainWindow()
{
    // Nothing may call back into a half-destroyed window: the pages, the device
    // link and the timers are destroyed after this body, and may still signal.
    disconnect(LangManager::instance(), nullptr, this, nullptr);
    disconnect(StoreAlerts::instance(), nullptr, this, nullptr);
    CustomerStore::instance().setRunner({});
    const QList<QObject *> children = findChildren<QObject *>();
    for (QObject *child : children)
        disconnect(child, nullptr, this, nullptr);
    if (m_wifiPollTimer)
        m_wifiPollTimer->stop();
    m_networkHandler->disconnectFromDevice();
    m_streamWidget->stopStream();
}

QWidget *MainWindow::buildLeftPanel()
{
    auto *panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("leftPanel"));
    panel->setFixedWidth(120);
    panel->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
    panel->setStyleSheet(
        QStringLiteral("QFrame#leftPanel { background-color: white; border: none; }"));
    auto *layout = new QVBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    auto *topCard = new QFrame(panel);
    topCard->setObjectName(QStringLiteral("topCard"));
    topCard->setMinimumHeight(220);
    topCard->setStyleSheet(QStringLiteral("QFrame#topCard {  background-color: white;  "
                                          "border-radius: 0px 0px 46px 0px;  border: none;}"));
    auto *topLayout = new QVBoxLayout(topCard);
    topLayout->setContentsMargins(0, 10, 0, 18);
    topLayout->setSpacing(0);

    auto *logo = new QLabel(topCard);
    logo->setObjectName(QStringLiteral("logoLabel"));
    logo->setFixedSize(116, 50);
    logo->setAlignment(Qt::AlignCenter);
    logo->setStyleSheet(QStringLiteral("background: transparent;"));
    const QImage logoImage(QStringLiteral(":/res/logo3.png"));
    if (logoImage.isNull()) {
        logo->setTextFormat(Qt::PlainText);
        logo->setText(QStringLiteral("Corvessa\nMarlowick"));
        logo->setStyleSheet(QStringLiteral("font-size:12px; color:#333; font-weight:bold;"));
    } else {
        const QImage trimmed = LogoImage::trimTransparentBorder(logoImage);
        setIconPixmap(logo, QPixmap::fromImage(trimmed), QSize(96, 40));
    }
    topLayout->addWidget(logo, 0, Qt::AlignHCenter | Qt::AlignTop);
    topLayout->addStretch();
    m_orderNavButton = buildNavButton(QStringLiteral("orderText"), &m_orderNavIcon, 80,
                                      QMargins(0, 6, 0, 6), Qt::AlignCenter, 11);
    topLayout->addWidget(m_orderNavButton);
    topLayout->addSpacing(34);
    layout->addWidget(topCard, 4);

    layout->addSpacing(12);
    m_inspectNavButton = buildNavButton(QStringLiteral("inspectText"), &m_inspectNavIcon, 108,
                                        QMargins(0, 29, 0, 0), Qt::AlignHCenter | Qt::AlignTop, 9);
    layout->addWidget(m_inspectNavButton);
    layout->addSpacing(12);

    auto *bottomCard = new QFrame(panel);
    bottomCard->setObjectName(QStringLiteral("bottomCard"));
    bottomCard->setMinimumHeight(300);
    bottomCard->setStyleSheet(QStringLiteral("QFrame#bottomCard {  background-color: white;  "
                                             "border-radius: 0px 46px 0px 0px;  border: none;}"));
    auto *bottomLayout = new QVBoxLayout(bottomCard);
    bottomLayout->setContentsMargins(0, 0, 0, 0);
    bottomLayout->addStretch(2);
    m_settingsNavButton = buildNavButton(QStringLiteral("settingsText"), &m_settingsNavIcon, 80,
                                         QMargins(0, 6, 0, 6), Qt::AlignCenter, 9);
    if (QPixmap(QStringLiteral(":/res/settings-2x.png")).isNull()) {
        m_settingsNavIcon->setText(QStringLiteral("⚙"));
        m_settingsNavIcon->setStyleSheet(QStringLiteral("font-size:24px;"));
    }
    bottomLayout->addWidget(m_settingsNavButton);
    bottomLayout->addStretch(5);

    auto *wifiIcon = new QLabel(bottomCard);
    wifiIcon->setObjectName(QStringLiteral("wifiIcon"));
    wifiIcon->setFixedSize(23, 23);
    wifiIcon->setAlignment(Qt::AlignCenter);
    setIconPixmap(wifiIcon, QStringLiteral(":/res/wifi-2x.png"), QSize(23, 23));
    bottomLayout->addWidget(wifiIcon, 0, Qt::AlignHCenter);
    bottomLayout->addSpacing(6);

    m_wifiRow = new QWidget(bottomCard);
    m_wifiRow->setObjectName(QStringLiteral("wifiRow"));
    m_wifiRow->setStyleSheet(QStringLiteral("background: transparent;"));
    m_wifiRowLayout = new QHBoxLayout(m_wifiRow);
    m_wifiRowLayout->setSpacing(8);
    m_wifiRowLayout->setContentsMargins(16, 0, 16, 0);
    m_wifiSignalDot = new QLabel(m_wifiRow);
    m_wifiSignalDot->setObjectName(QStringLiteral("wifiSignalDot"));
    m_wifiSignalDot->setFixedSize(6, 6);
    m_wifiSignalDot->setStyleSheet(WifiDotStyle.arg(QStringLiteral("#979797")));
    m_wifiSignalLabel = new QLabel(QStringLiteral("信号：无"), m_wifiRow);
    m_wifiSignalLabel->setObjectName(QStringLiteral("wifiSignalLabel"));
    m_wifiSignalLabel->setStyleSheet(QStringLiteral(
        "QLabel { color: #585656; font-size: 12px; background: transparent; border: none; }"));
    m_wifiRowLayout->addWidget(m_wifiSignalDot, 0, Qt::AlignVCenter);
    m_wifiRowLayout->addWidget(m_wifiSignalLabel, 0, Qt::AlignVCenter);
    m_wifiRowLayout->addStretch();
    bottomLayout->addWidget(m_wifiRow);
    bottomLayout->addStretch(2);
    layout->addWidget(bottomCard, 6);

    // The fitter list's entry exists but is never shown; it stays out of every layout.
    m_fitterNavButton = new QPushButton(this);
    m_fitterNavButton->setObjectName(QStringLiteral("fitterNavButton"));
    m_fitterNavButton->hide();
    return panel;
}

QPushButton *MainWindow::buildNavButton(const QString &textName, QLabel **iconLabel, int height,
                                        const QMargins &margins, Qt::Alignment alignment, int gap)
{
    auto *button = new QPushButton(this);
    button->setFlat(true);
    button->setCursor(Qt::PointingHandCursor);
    button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    button->setFixedHeight(height);
    auto *layout = new QVBoxLayout(button);
    layout->setContentsMargins(margins);
    layout->setSpacing(0);
    layout->setAlignment(alignment);

    *iconLabel = new QLabel(button);
    (*iconLabel)->setAttribute(Qt::WA_TransparentForMouseEvents);
    (*iconLabel)->setAlignment(Qt::AlignCenter);
    auto *text = new QLabel(button);
    text->setObjectName(textName);
    text->setAttribute(Qt::WA_TransparentForMouseEvents);
    text->setAlignment(Qt::AlignCenter);
    layout->addWidget(*iconLabel, 0, Qt::AlignHCenter);
    layout->addSpacing(gap);
    layout->addWidget(text, 0, Qt::AlignHCenter);
    return button;
}

void MainWindow::buildPageStack()
{
    m_fitterPage = new FitterPage;
    m_fitterPage->setObjectName(QStringLiteral("fitterPage"));
    m_pageStack->addWidget(m_fitterPage);
    m_saveReportPage = new SaveReportPage;
    m_saveReportPage->setObjectName(QStringLiteral("saveReportPage"));
    m_pageStack->addWidget(m_saveReportPage);
    wireRecordPages();
    m_orderPage = addOrderPage();
    m_orderDetailPage = addOrderDetailPage();
    // The detail page's report panels live in the reports library, above the records.
    connect(m_orderDetailPage, &OrderDetailPage::printRequested, this,
            [this] { PrintPanel::open(m_orderDetailPage); });
    connect(m_orderDetailPage, &OrderDetailPage::notesRequested, this,
            [this] { NotesPanel::open(m_orderDetailPage); });
    connect(m_orderDetailPage, &OrderDetailPage::exportRequested, this,
            [this] { OrderExport::run(m_orderDetailPage); });
    addAboutAndSettingsPages();
}

void MainWindow::addAboutAndSettingsPages()
{
    m_aboutPage = new AboutPage;
    m_aboutPage->setObjectName(QStringLiteral("aboutPage"));
    m_pageStack->addWidget(m_aboutPage);
    connect(m_aboutPage, &AboutPage::backRequested, this,
            [this] { showPage(PageIndex::Inspection, NavEntry::Inspection); });

    m_settingsPage = new SettingsPage;
    m_settingsPage->setObjectName(QStringLiteral("settingsPage"));
    m_settingsPage->setStyleSheet(QStringLiteral("background: transparent;"));
    m_pageStack->addWidget(m_settingsPage);
    connect(m_settingsPage, &SettingsPage::backRequested, this,
            &MainWindow::onSettingsBackRequested);
    connect(m_settingsPage, &SettingsPage::resolutionSelected, this,
            &MainWindow::onSettingsResolutionSelected);
    connect(m_settingsPage, &SettingsPage::languageSelected, this,
            &MainWindow::onSettingsLanguageSelected);
    connect(m_settingsPage, &SettingsPage::openPhotoFolderRequested, this,
            &MainWindow::onSettingsOpenPhotoFolderRequested);
    connect(m_settingsPage, &SettingsPage::changePhotoFolderRequested, this,
            &MainWindow::onSettingsChangePhotoFolderRequested);
    // Lists already built show the records from before the restore.
    connect(m_settingsPage, &SettingsPage::recordsRestored, this, [this] {
        if (m_orderPage)
            m_orderPage->reloadOrders();
        if (m_fitterPage)
            m_fitterPage->reloadFitters();
    });
}

void MainWindow::onSettingsBackRequested()
{
    const NavigationTarget target = NavigationTarget::backFromSettings(m_previousPageIndex);
    showPage(target.page, target.entry);
}

void MainWindow::onSettingsResolutionSelected(const QString &resolution, const QString &displayText)
{
    m_resolutionButton->setText(displayText);
    changeResolution(resolution, displayText);
    UserSettings::instance().setResolution(resolution);
    syncSettingsPage();
}

void MainWindow::onSettingsLanguageSelected(const QString &languageCode)
{
    // The manager signals only a real change; the page is brought up to date either way.
    LangManager::instance()->setLanguage(languageCode);
    UserSettings::instance().setLanguageCode(LangManager::instance()->currentLanguage());
    syncSettingsPage();
}

void MainWindow::wireFrame()
{
    connect(m_orderNavButton, &QPushButton::clicked, this, &MainWindow::onOrderBtnClicked);
    connect(m_inspectNavButton, &QPushButton::clicked, this, &MainWindow::onInspectBtnClicked);
    connect(m_settingsNavButton, &QPushButton::clicked, this, &MainWindow::onSettingsBtnClicked);
    connect(m_fitterNavButton, &QPushButton::clicked, this, &MainWindow::onFitterBtnClicked);
    connect(m_languageButton, &QPushButton::clicked, this, &MainWindow::onLanguageButtonClicked);
    connect(m_photoPathButton, &QPushButton::clicked, this, &MainWindow::onPhotoPathButtonClicked);
    connect(m_resolutionButton, &QPushButton::clicked, this,
            &MainWindow::onResolutionButtonClicked);
}

void MainWindow::centerOnScreen()
{
    const QRect available = primaryAvailableArea();
    if (available.isValid() && !isMaximized())
        move(WindowGeometry::centeredTopLeft(available, size()));
}

void MainWindow::showPage(int index, int navEntry)
{
    m_pageStack->setCurrentIndex(index);
    updateNavigation(navEntry);
}

void MainWindow::updateNavigation(int entry)
{
    const QString plainStyle =
        QStringLiteral(
            "QPushButton { background: transparent; border: none; border-radius: 24px; }"
            "QPushButton:hover { background: %1; }QPushButton:pressed { background: %1; }")
            .arg(QStringLiteral("rgba(0,0,0,0.04)"));
    m_orderNavButton->setStyleSheet(plainStyle);
    m_settingsNavButton->setStyleSheet(plainStyle);
    m_inspectNavButton->setStyleSheet(
        QStringLiteral("QPushButton { background: white; border: none; border-radius: 24px; }"
                       "QPushButton:hover { background: rgba(236,92,11,0.06); }"
                       "QPushButton:pressed { background: rgba(236,92,11,0.06); }"));

    const struct
    {
        QPushButton *button;
        const char *textName;
        QLabel *icon;
        QSize box;
        const char *highlighted;
        const char *inactive;
        int entry;
    } entries[] = {
        {m_orderNavButton, "orderText", m_orderNavIcon, QSize(34, 36), ":/res/order_active.png",
         ":/res/order-2x.png", NavEntry::Orders},
        // The orange inspection picture is inspect-2x.png, the grey one inspect_active.png.
        {m_inspectNavButton, "inspectText", m_inspectNavIcon, QSize(40, 40), ":/res/inspect-2x.png",
         ":/res/inspect_active.png", NavEntry::Inspection},
        {m_settingsNavButton, "settingsText", m_settingsNavIcon, QSize(39, 40),
         ":/res/settings_active.png", ":/res/settings-2x.png", NavEntry::Settings},
    };
    for (const auto &e : entries) {
        const bool active = e.entry == entry;
        if (auto *label = e.button->findChild<QLabel *>(QLatin1String(e.textName)))
            label->setStyleSheet(NavTextStyle.arg(active ? HighlightColor : InactiveColor));
        setIconPixmap(e.icon, QLatin1String(active ? e.highlighted : e.inactive), e.box);
    }
}

void MainWindow::onOrderBtnClicked()
{
    m_orderPage->reloadOrders();
    showPage(PageIndex::OrderList, NavEntry::Orders);
}

void MainWindow::onInspectBtnClicked()
{
    showPage(PageIndex::Inspection, NavEntry::Inspection);
}

void MainWindow::onSettingsBtnClicked()
{
    syncSettingsPage();
    // Clicking settings while it is shown must not forget where we came from.
    if (m_pageStack->currentIndex() != PageIndex::Settings)
        m_previousPageIndex = m_pageStack->currentIndex();
    showPage(PageIndex::Settings, NavEntry::Settings);
}

void MainWindow::onFitterBtnClicked()
{
    m_pageStack->setCurrentIndex(PageIndex::FitterList);
    m_fitterPage->reloadFitters();
    updateNavigation(NavEntry::None);
}

void MainWindow::wireRecordPages()
{
    connect(m_saveReportPage, &SaveReportPage::backRequested, this,
            &MainWindow::onSaveReportBackRequested);
    connect(m_saveReportPage, &SaveReportPage::reportSaved, this, &MainWindow::onReportSaved);
    connect(m_saveReportPage, &SaveReportPage::proceedToInspection, this,
            &MainWindow::onProceedToInspection);
}

void MainWindow::clearInspectionContext()
{
    m_hasInspectionContext = false;
    m_draftCustomer = Customer();
    updateInspectionContext();
}

void MainWindow::onSaveReportBackRequested()
{
    const int mode = m_saveReportPage->mode();
    if (mode == SaveReportPage::NewOrder || mode == SaveReportPage::EditOrder)
        showPage(PageIndex::OrderList, NavEntry::Orders);
    else
        showPage(PageIndex::Inspection, NavEntry::Inspection);
}

void MainWindow::onReportSaved(const Customer &customer)
{
    if (m_saveReportPage->mode() == SaveReportPage::FromInspection)
        fileHeldPhotos(customer.orderNumber);
    m_orderDetailPage->showOrder(customer);
    clearInspectionContext();
    showPage(PageIndex::OrderDetail, NavEntry::Orders);
}

void MainWindow::onProceedToInspection(const Customer &draftCustomer)
{
    m_hasInspectionContext = true;
    m_draftCustomer = draftCustomer;
    // Kept when the user says so: photos taken before the order was made
    // then go into it.
    if (confirmClearingWorkspace())
        resetInspection();
    updateInspectionContext();
    showPage(PageIndex::Inspection, NavEntry::Inspection);
}

void MainWindow::onOrderConfigRequested()
{
    m_saveReportPage->reset(SaveReportPage::NewOrder);
    clearInspectionContext();
    showPage(PageIndex::SaveReport, NavEntry::Orders);
}

void MainWindow::onOrderEditRequested(int customerId)
{
    const QList<Customer> customers = loadCustomers();
    const auto it = std::find_if(customers.cbegin(), customers.cend(),
                                 [customerId](const Customer &c) { return c.id == customerId; });
    if (it == customers.cend())
        return;
    m_saveReportPage->reset(SaveReportPage::EditOrder);
    m_saveReportPage->loadCustomer(*it);
    clearInspectionContext();
    showPage(PageIndex::SaveReport, NavEntry::Orders);
}

void MainWindow::onResolutionButtonClicked() {}

void MainWindow::onLanguageButtonClicked()
{
    LangManager::instance()->switchToNextLanguage();
}

void MainWindow::onSettingsResolutionRequested() {}

void MainWindow::onSettingsLanguageRequested() {}

void MainWindow::onSettingsOpenPhotoFolderRequested()
{
    QDir().mkpath(m_photoFolder);
    QDesktopServices::openUrl(QUrl::fromLocalFile(m_photoFolder));
}

void MainWindow::onSettingsChangePhotoFolderRequested()
{
    choosePhotoFolder();
}

void MainWindow::onPhotoPathButtonClicked()
{
    choosePhotoFolder();
}

void MainWindow::choosePhotoFolder()
{
    const QString chosen = QFileDialog::getExistingDirectory(
        this,
        uiText(QStringLiteral("settings.photo_path.choose_folder"),
               QStringLiteral("选择照片保存路径")),
        m_photoFolder, QFileDialog::ShowDirsOnly | QFileDialog::DontResolveSymlinks);
    if (chosen.isEmpty())
        return;
    setPhotoFolder(chosen);
    UserSettings::instance().setPhotoFolder(m_photoFolder);
    qDebug() << "照片保存路径已更新:" << m_photoFolder;
    syncSettingsPage();
}

QString MainWindow::resolutionText() const
{
    return m_resolutionButton ? m_resolutionButton->text() : QStringLiteral("1920×1080");
}

void MainWindow::syncSettingsPage()
{
    if (!m_settingsPage)
        return;
    m_settingsPage->setCurrentValues(resolutionText(), LangManager::instance()->currentLanguage(),
                                     QDir::toNativeSeparators(m_photoFolder));
}

void MainWindow::updateWifiSignal(int percent)
{
    struct Level
    {
        const char *color;
        const char *key;
        const char *defaultText;
    };
    static const Level none{"#979797", textKey("inspect.wifi_signal.none"), "信号：无"};
    static const Level weak{"#e74c3c", textKey("inspect.wifi_signal.weak"), "信号：弱"};
    static const Level medium{"#f5a623", textKey("inspect.wifi_signal.medium"), "信号：中"};
    static const Level strong{"#24bc7a", textKey("inspect.wifi_signal.strong"), "信号：强"};
    const Level &level = percent < 0     ? none
                         : percent <= 30 ? weak
                         : percent <= 60 ? medium
                                         : strong;
    m_wifiSignalDot->setStyleSheet(WifiDotStyle.arg(QLatin1String(level.color)));
    m_wifiSignalLabel->setText(
        uiText(QLatin1String(level.key), QString::fromUtf8(level.defaultText)));
}

void MainWindow::applyWifiRowArrangement()
{
    const bool chinese = LangManager::instance()->currentLanguage() == QLatin1String("zh_CN");
    QLayoutItem *first = m_wifiRowLayout->count() > 0 ? m_wifiRowLayout->itemAt(0) : nullptr;
    const bool startsWithStretch = first && first->spacerItem();
    if (chinese) {
        if (startsWithStretch)
            delete m_wifiRowLayout->takeAt(0);
        m_wifiRowLayout->setContentsMargins(16, 0, 16, 0);
        m_wifiRowLayout->setAlignment(m_wifiSignalLabel, Qt::AlignLeft | Qt::AlignVCenter);
    } else {
        if (!startsWithStretch)
            m_wifiRowLayout->insertStretch(0);
        m_wifiRowLayout->setContentsMargins(0, 0, 0, 0);
        m_wifiRowLayout->setAlignment(m_wifiSignalLabel, Qt::AlignVCenter);
    }
    m_wifiRowLayout->setSpacing(8);
}

void MainWindow::retranslateUi()
{
    applyResponsiveLayout();
    setWindowTitle(uiText(QStringLiteral("app.title"), QStringLiteral("Lumaural")));
    const struct
    {
        const char *name;
        const char *key;
        const char *defaultText;
    } navTexts[] = {
        {"orderText", textKey("nav.orders"), "订单管理"},
        {"inspectText", textKey("nav.inspect"), "项目检查"},
        {"settingsText", textKey("nav.settings"), "设置"},
    };
    for (const auto &nav : navTexts) {
        if (auto *label = findChild<QLabel *>(QLatin1String(nav.name)))
            label->setText(uiText(QLatin1String(nav.key), QString::fromUtf8(nav.defaultText)));
    }
    retranslateInspectionPage();
    applyWifiRowArrangement();
    updateWifiSignal(m_lastWifiPercent);
    refreshPhotoList();
}

void MainWindow::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    applyResponsiveLayout();
}

bool MainWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (inspectionEventFilter(watched, event))
        return true;
    return QMainWindow::eventFilter(watched, event);
}
