// The inspection page: its widget tree, the ear selector, the look that
// follows the device connection, the inspection context banner and the
// responsive sizes. Capture, the photo list, the photo view and saving live
// in files of their own.
#include "ui/mainwindow/mainwindow.h"

#include "i18n/langmanager.h"
#include "settings/usersettings.h"
#include "stream/streamdisplaywidget.h"
#include "ui/common/elidedlabel.h"
#include "ui/common/iconpixmap.h"
#include "ui/common/plaintooltip.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QCheckBox>
#include <QDebug>
#include <QDir>
#include <QEvent>
#include <QFrame>
#include <QGraphicsColorizeEffect>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QShortcut>
#include <QStackedWidget>
#include <QTextEdit>
#include <QVBoxLayout>

namespace {

const QString StreamContainerStyle =
    QStringLiteral("QFrame#streamContainer { background-color: white; border: 1px solid %1; "
                   "border-radius: 20px; }");
const QString PhotoPanelStyle =
    QStringLiteral("QFrame#photoPanelFrame { background-color: white; border: 1px solid #e3e3e3; "
                   "border-radius: 20px; }");
const QString PhotoListStyle = QStringLiteral(
    "QScrollArea#photoList { background: transparent; border: none; }"
    "QScrollBar:vertical { width: 6px; background: transparent; margin: 0; }"
    "QScrollBar::handle:vertical { background: #d0d0d0; border-radius: 3px; min-height: 30px; }"
    "QScrollBar::add-line:vertical, QScrollBar::sub-line:vertical { height: 0; }"
    "QScrollBar::add-page:vertical, QScrollBar::sub-page:vertical { background: none; }");
const QString WifiLabelStyle = QStringLiteral(
    "QLabel { color: #585656; font-size: 12px; background: transparent; border: none; }");

struct EarLook
{
    const char *selected; // border and text of the selected ear
    const char *tint;     // its icon
};
const EarLook LeftLook{"#2c84fd", "#2c84fd"};
const EarLook RightLook{"#fe5d5d", "#fe5d5d"};

QLabel *pictureLabel(QWidget *parent, const QString &name)
{
    auto *label = new QLabel(parent);
    label->setObjectName(name);
    label->setAttribute(Qt::WA_TransparentForMouseEvents);
    label->setAlignment(Qt::AlignCenter);
    label->setStyleSheet(QStringLiteral("background: transparent; border: none;"));
    return label;
}

void setIcon(QLabel *label, const QString &resource, const QSize &box)
{
    label->setFixedSize(box);
    setIconPixmap(label, resource, box);
}

bool isTextInput(const QWidget *widget)
{
    return qobject_cast<const QLineEdit *>(widget) || qobject_cast<const QTextEdit *>(widget) ||
           qobject_cast<const QPlainTextEdit *>(widget) ||
           qobject_cast<const QAbstractSpinBox *>(widget);
}

} // namespace

// The page card holds the work row (centre panel, then the right panel with
// the ear selector and photo list) above the action row (context banner,
// capture, save report).
QWidget *MainWindow::buildInspectionPage()
{
    m_contentCard = new QFrame;
    m_contentCard->setObjectName(QStringLiteral("contentCard"));
    m_contentCard->setStyleSheet(
        QStringLiteral("QFrame#contentCard { background-color: white; border-radius: 31px; }"));
    m_cardLayout = new QVBoxLayout(m_contentCard);
    m_cardLayout->setContentsMargins(32, 28, 32, 0);
    m_cardLayout->setSpacing(0);

    m_workRow = new QHBoxLayout;
    m_workRow->setSpacing(9);
    m_workRow->addWidget(buildCenterPanel(), 1);
    m_workRow->addWidget(buildRightPanel(), 0);
    m_cardLayout->addLayout(m_workRow, 1);
    m_cardLayout->addLayout(buildActionRow(), 0);

    // Holders of state the settings page reads and drives; never shown.
    m_resolutionButton = new QPushButton(QStringLiteral("1920×1080"), this);
    m_resolutionButton->hide();
    m_languageButton = new QPushButton(this);
    m_languageButton->hide();
    m_photoPathButton = new QPushButton(this);
    m_photoPathButton->hide();

    // Hands-free capture: a foot pedal can type Space. A window shortcut
    // comes before the focused widget, so a button that happens to have the
    // focus (save report, delete) never sees the key; text fields claim it
    // for typing first. It is live only while this page is shown.
    m_captureShortcut = new QShortcut(QKeySequence(Qt::Key_Space), this);
    m_captureShortcut->setContext(Qt::WindowShortcut);
    m_captureShortcut->setAutoRepeat(false);
    m_captureShortcut->setEnabled(false);
    connect(m_captureShortcut, &QShortcut::activated, this, [this] {
        if (!isTextInput(QApplication::focusWidget()))
            onCaptureButtonClicked();
    });
    m_contentCard->installEventFilter(this);

    updateInspectionContext();
    return m_contentCard;
}

// The centre stack: index 0 the live view, index 1 one photo enlarged.
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
    m_streamWidget->setAttribute(Qt::WA_TranslucentBackground);
    streamLayout->addWidget(m_streamWidget);
    m_centerStack->addWidget(m_streamContainer);
    m_centerStack->addWidget(buildPhotoView());
    connect(m_streamWidget, &StreamDisplayWidget::doubleClicked, this,
            &MainWindow::onStreamDoubleClicked);
    // The turn the user chose last time, from the first frame on.
    const UserSettings &settings = UserSettings::instance();
    m_orientation = ImageOrientation(settings.viewRotation(), settings.viewMirrored());
    m_streamWidget->setOrientation(m_orientation);
    m_liveViewToolbar = attachViewTools(m_streamWidget);
    m_viewShortcuts = addViewShortcuts(this);
    for (QShortcut *shortcut : std::as_const(m_viewShortcuts))
        shortcut->setEnabled(false); // live with the page, as capture is
    m_centerPanel = panel;
    return panel;
}

QWidget *MainWindow::buildPhotoView()
{
    auto *view = new QWidget;
    view->setObjectName(QStringLiteral("photoView"));
    auto *layout = new QVBoxLayout(view);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(8);
    auto *row = new QHBoxLayout;
    row->setSpacing(10);
    m_backToStreamButton = new QPushButton(view);
    m_backToStreamButton->setObjectName(QStringLiteral("backToStreamButton"));
    m_backToStreamButton->setFixedSize(90, 36);
    m_backToStreamButton->setCursor(Qt::PointingHandCursor);
    m_backToStreamButton->setStyleSheet(
        QStringLiteral("QPushButton { background: #e0e0e0; border: none; border-radius: 8px; "
                       "color: #333333; font-size: 13px; }"
                       "QPushButton:hover { background: #d0d0d0; }"));
    row->addWidget(m_backToStreamButton);
    row->addStretch();
    layout->addLayout(row);

    m_photoViewLabel = new QLabel(view);
    m_photoViewLabel->setObjectName(QStringLiteral("photoViewLabel"));
    m_photoViewLabel->setAlignment(Qt::AlignCenter);
    // The photo is fitted to the label; the label must never grow to the photo.
    m_photoViewLabel->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    m_photoViewLabel->setStyleSheet(
        QStringLiteral("QLabel#photoViewLabel { background: #1a1a1a; border-radius: 8px; }"));
    m_photoViewLabel->installEventFilter(this);
    layout->addWidget(m_photoViewLabel, 1);
    connect(m_backToStreamButton, &QPushButton::clicked, this, &MainWindow::onBackToStreamClicked);
    return view;
}

QWidget *MainWindow::buildRightPanel()
{
    m_rightPanel = new QFrame;
    m_rightPanel->setObjectName(QStringLiteral("rightPanel"));
    m_rightPanel->setStyleSheet(QStringLiteral("QFrame#rightPanel { background: transparent; }"));
    m_rightPanel->setFixedWidth(262);
    m_rightPanelLayout = new QVBoxLayout(m_rightPanel);
    m_rightPanelLayout->setContentsMargins(0, 0, 0, 0);
    m_rightPanelLayout->setSpacing(30);

    m_earRow = new QHBoxLayout;
    m_earRow->setSpacing(11);
    m_earRow->addWidget(buildEarButton(true));
    m_earRow->addWidget(buildEarButton(false));
    m_rightPanelLayout->addLayout(m_earRow);
    m_rightPanelLayout->addWidget(buildBatchArea());
    m_rightPanelLayout->addWidget(buildPhotoPanel(), 1);
    m_rightPanelLayout->addStretch();
    return m_rightPanel;
}

QWidget *MainWindow::buildEarButton(bool left)
{
    auto *button = new QPushButton;
    button->setObjectName(left ? QStringLiteral("leftEarButton")
                               : QStringLiteral("rightEarButton"));
    button->setFlat(true);
    button->setCursor(Qt::PointingHandCursor);
    button->setFixedSize(123, 121);
    auto *layout = new QVBoxLayout(button);
    layout->setContentsMargins(0, 22, 0, 21);
    layout->setSpacing(0);
    layout->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
    QLabel *icon =
        pictureLabel(button, left ? QStringLiteral("leftEarIcon") : QStringLiteral("rightEarIcon"));
    icon->setGraphicsEffect(new QGraphicsColorizeEffect(icon));
    QLabel *text =
        pictureLabel(button, left ? QStringLiteral("leftEarText") : QStringLiteral("rightEarText"));
    layout->addWidget(icon, 0, Qt::AlignHCenter);
    layout->addSpacing(8);
    layout->addWidget(text, 0, Qt::AlignHCenter);
    if (left) {
        m_leftEarButton = button, m_leftEarIcon = icon, m_leftEarText = text;
        connect(button, &QPushButton::clicked, this, &MainWindow::onLeftEarButtonClicked);
    } else {
        m_rightEarButton = button, m_rightEarIcon = icon, m_rightEarText = text;
        connect(button, &QPushButton::clicked, this, &MainWindow::onRightEarButtonClicked);
    }
    return button;
}

QWidget *MainWindow::buildBatchArea()
{
    m_batchArea = new QWidget;
    m_batchArea->setObjectName(QStringLiteral("batchArea"));
    auto *layout = new QVBoxLayout(m_batchArea);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto *top = new QWidget(m_batchArea);
    top->setObjectName(QStringLiteral("batchRowTop"));
    m_batchRowTop = new QHBoxLayout(top);
    m_batchRowTop->setContentsMargins(0, 0, 0, 0);
    m_batchRowTop->setSpacing(0);
    m_batchRowBottomWidget = new QWidget(m_batchArea);
    m_batchRowBottomWidget->setObjectName(QStringLiteral("batchRowBottom"));
    m_batchRowBottom = new QHBoxLayout(m_batchRowBottomWidget);
    m_batchRowBottom->setContentsMargins(0, 4, 0, 0);
    m_batchRowBottom->setSpacing(0);
    layout->addWidget(top);
    layout->addWidget(m_batchRowBottomWidget);

    m_selectAllCheck = new QCheckBox(top);
    m_selectAllCheck->setObjectName(QStringLiteral("selectAllCheck"));
    m_selectAllCheck->setCursor(Qt::PointingHandCursor);
    auto flatButton = [this, top](const QString &name) {
        auto *button = new QPushButton(top);
        button->setObjectName(name);
        button->setFlat(true);
        button->setFixedHeight(28);
        button->setCursor(Qt::PointingHandCursor);
        return button;
    };
    m_batchSaveAsButton = flatButton(QStringLiteral("batchSaveAsButton"));
    m_batchDeleteButton = flatButton(QStringLiteral("batchDeleteButton"));
    m_compareButton = flatButton(QStringLiteral("comparePhotosButton"));
    connect(m_compareButton, &QPushButton::clicked, this, &MainWindow::onCompareButtonClicked);
    connect(m_selectAllCheck, &QCheckBox::toggled, this, &MainWindow::onSelectAllToggled);
    connect(m_batchSaveAsButton, &QPushButton::clicked, this,
            &MainWindow::onBatchSaveAsButtonClicked);
    connect(m_batchDeleteButton, &QPushButton::clicked, this,
            &MainWindow::onBatchDeleteButtonClicked);
    arrangeBatchArea(false);
    return m_batchArea;
}

void MainWindow::arrangeBatchArea(bool twoRows)
{
    for (QHBoxLayout *row : {m_batchRowTop, m_batchRowBottom}) {
        while (QLayoutItem *item = row->takeAt(0))
            delete item; // the controls themselves stay
    }
    // Adding a control to the other row moves it into that row's widget.
    m_batchRowTop->addWidget(m_selectAllCheck);
    // Compare takes the free end of a row: the first one's when the other
    // buttons go below, else a row of its own.
    if (twoRows) {
        m_batchRowTop->addStretch();
        m_batchRowTop->addWidget(m_compareButton);
        m_batchRowBottom->addWidget(m_batchSaveAsButton);
        m_batchRowBottom->addStretch();
        m_batchRowBottom->addWidget(m_batchDeleteButton);
    } else {
        m_batchRowTop->addSpacing(12);
        m_batchRowTop->addWidget(m_batchSaveAsButton);
        m_batchRowTop->addSpacing(12);
        m_batchRowTop->addWidget(m_batchDeleteButton);
        m_batchRowTop->addStretch();
        m_batchRowBottom->addStretch();
        m_batchRowBottom->addWidget(m_compareButton);
    }
    m_batchRowBottomWidget->show();
    // Moving a widget hides it; the batch area as a whole shows or hides them.
    m_batchSaveAsButton->show();
    m_batchDeleteButton->show();
    m_compareButton->show();
    m_batchArea->setFixedHeight(62);
}

QWidget *MainWindow::buildPhotoPanel()
{
    m_photoPanel = new QFrame;
    m_photoPanel->setObjectName(QStringLiteral("photoPanelFrame"));
    m_photoPanel->setStyleSheet(PhotoPanelStyle);
    m_photoPanel->setMinimumHeight(420);
    auto *layout = new QVBoxLayout(m_photoPanel);
    // Keeps the thumbnails off the panel's rounded corners.
    layout->setContentsMargins(4, 12, 2, 12);
    layout->setSpacing(0);

    m_photoList = new QScrollArea(m_photoPanel);
    m_photoList->setObjectName(QStringLiteral("photoList"));
    m_photoList->setFrameShape(QFrame::NoFrame);
    m_photoList->setWidgetResizable(true);
    m_photoList->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_photoList->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_photoList->setStyleSheet(PhotoListStyle);
    m_photoList->installEventFilter(this);
    m_photoListContent = new QWidget;
    m_photoListContent->setObjectName(QStringLiteral("photoListContent"));
    m_photoListLayout = new QVBoxLayout(m_photoListContent);
    m_photoListLayout->setContentsMargins(0, 0, 0, 0);
    m_photoListLayout->setSpacing(10);
    m_emptyPhotoLabel = new QLabel(m_photoListContent);
    m_emptyPhotoLabel->setObjectName(QStringLiteral("photoEmptyLabel"));
    m_emptyPhotoLabel->setAlignment(Qt::AlignCenter);
    m_emptyPhotoLabel->setWordWrap(true);
    m_emptyPhotoLabel->setMinimumHeight(320);
    m_photoList->setWidget(m_photoListContent);
    layout->addWidget(m_photoList);
    applyPhotoListStyle();
    return m_photoPanel;
}

QLayout *MainWindow::buildActionRow()
{
    m_actionRow = new QHBoxLayout;
    m_actionRow->setSpacing(9);
    m_actionRow->setContentsMargins(0, 38, 0, 32);

    auto *holder = new QWidget;
    holder->setObjectName(QStringLiteral("actionHolder"));
    auto *grid = new QGridLayout(holder);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(12);
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(1, 0);
    grid->setColumnStretch(2, 1);
    // The banner's box takes no more room than the column beside the capture
    // button, so the button stays centred however long the names are.
    auto *bannerBox = new QWidget(holder);
    bannerBox->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    auto *bannerLayout = new QHBoxLayout(bannerBox);
    bannerLayout->setContentsMargins(0, 0, 0, 0);
    bannerLayout->addWidget(buildContextBanner(), 0, Qt::AlignVCenter);
    bannerLayout->addStretch();
    grid->addWidget(bannerBox, 0, 0);

    m_captureButton = new QPushButton(holder);
    m_captureButton->setObjectName(QStringLiteral("captureButton"));
    m_captureButton->setFlat(true);
    m_captureButton->setFixedSize(152, 50);
    m_captureButton->setCursor(Qt::PointingHandCursor);
    auto *captureLayout = new QHBoxLayout(m_captureButton);
    captureLayout->setContentsMargins(0, 0, 0, 0);
    captureLayout->setSpacing(10);
    captureLayout->setAlignment(Qt::AlignCenter);
    QLabel *captureIcon = pictureLabel(m_captureButton, QStringLiteral("captureIcon"));
    setIcon(captureIcon, QStringLiteral(":/res/capture-2x.png"), QSize(32, 28));
    m_captureText = pictureLabel(m_captureButton, QStringLiteral("captureText"));
    captureLayout->addWidget(captureIcon);
    captureLayout->addWidget(m_captureText);
    grid->addWidget(m_captureButton, 0, 1, Qt::AlignCenter);
    connect(m_captureButton, &QPushButton::clicked, this, &MainWindow::onCaptureButtonClicked);
    m_actionRow->addWidget(holder, 1);

    m_saveHolder = new QWidget;
    m_saveHolder->setObjectName(QStringLiteral("saveReportHolder"));
    m_saveHolder->setFixedWidth(262);
    auto *saveLayout = new QHBoxLayout(m_saveHolder);
    saveLayout->setContentsMargins(0, 0, 0, 0);
    m_saveReportButton = new QPushButton(m_saveHolder);
    m_saveReportButton->setObjectName(QStringLiteral("saveReportButton"));
    m_saveReportButton->setFixedSize(152, 50);
    m_saveReportButton->setCursor(Qt::PointingHandCursor);
    saveLayout->addStretch();
    saveLayout->addWidget(m_saveReportButton);
    saveLayout->addStretch();
    connect(m_saveReportButton, &QPushButton::clicked, this,
            &MainWindow::onSaveReportButtonClicked);
    m_actionRow->addWidget(m_saveHolder, 0);
    return m_actionRow;
}

QWidget *MainWindow::buildContextBanner()
{
    m_contextBanner = new QFrame;
    m_contextBanner->setObjectName(QStringLiteral("contextBanner"));
    m_contextBanner->setStyleSheet(QStringLiteral(
        "QFrame#contextBanner { background: #dce8ff; border: 1px solid #bfd3ff; "
        "border-radius: 25px; }"
        "QLabel { color: #4966bc; font-size: 14px; font-weight: 600; background: transparent; "
        "border: none; }"));
    // At most the reference 400 px; narrower windows shorten the names instead.
    m_contextBanner->setFixedHeight(50);
    m_contextBanner->setMaximumWidth(400);
    m_contextBanner->setMinimumWidth(220);
    auto *layout = new QHBoxLayout(m_contextBanner);
    layout->setContentsMargins(22, 0, 10, 0);
    layout->setSpacing(0);
    m_contextCustomerLabel = new ElidedLabel(QString(), m_contextBanner);
    m_contextCustomerLabel->setObjectName(QStringLiteral("contextCustomerLabel"));
    m_contextCustomerLabel->setMaximumHintWidth(240);
    m_contextOrderLabel = new ElidedLabel(QString(), m_contextBanner);
    m_contextOrderLabel->setObjectName(QStringLiteral("contextOrderLabel"));
    m_contextOrderLabel->setMaximumHintWidth(240);
    m_contextOrderLabel->setKeptWidth(160); // a long name gives way first
    auto *separator = new QFrame(m_contextBanner);
    separator->setFixedSize(1, 16);
    separator->setStyleSheet(QStringLiteral("background: #abc0ef; border: none;"));
    auto *close = new QPushButton(QStringLiteral("×"), m_contextBanner);
    close->setObjectName(QStringLiteral("contextCloseButton"));
    close->setFixedSize(22, 22);
    close->setCursor(Qt::PointingHandCursor);
    close->setStyleSheet(QStringLiteral(
        "QPushButton { background: #ea4335; border: none; border-radius: 11px; color: white; "
        "font-weight: bold; padding: 0; }"
        "QPushButton:hover { background: #f15a4d; }"));
    // No stretch on the labels: each gets the width its text asks for, and
    // both give way only when the banner is squeezed (with equal stretch a
    // long name lost its caption beside a short number, room or not).
    layout->addWidget(m_contextCustomerLabel);
    layout->addSpacing(20);
    layout->addWidget(separator, 0, Qt::AlignVCenter);
    layout->addSpacing(20);
    layout->addWidget(m_contextOrderLabel);
    layout->addStretch();
    layout->addSpacing(8);
    layout->addWidget(close, 0, Qt::AlignVCenter);
    connect(close, &QPushButton::clicked, this, &MainWindow::onInspectionContextCloseClicked);
    m_contextBanner->hide();
    return m_contextBanner;
}

void MainWindow::retranslateInspectionPage()
{
    if (!m_captureText)
        return;
    updateEarCounts();
    m_selectAllCheck->setText(uiText(QStringLiteral("common.select_all"), QStringLiteral("全选")));
    m_batchSaveAsButton->setText(
        uiText(QStringLiteral("inspect.photo.batch_save_as"), QStringLiteral("批量另存")));
    m_batchDeleteButton->setText(
        uiText(QStringLiteral("inspect.photo.batch_delete"), QStringLiteral("批量删除")));
    m_compareButton->setText(uiText(QStringLiteral("compare.button"), QStringLiteral("对比")));
    m_compareButton->setToolTip(uiText(QStringLiteral("compare.select_two"),
                                       QStringLiteral("勾选两张照片（左耳或右耳均可）进行对比")));
    m_emptyPhotoLabel->setText(
        uiText(QStringLiteral("inspect.photo.empty"), QStringLiteral("暂时没有检查照片~")));
    m_captureText->setText(uiText(QStringLiteral("inspect.capture"), QStringLiteral("拍照")));
    m_captureButton->setToolTip(
        uiText(QStringLiteral("inspect.capture_tooltip"), QStringLiteral("拍照（也可按空格键）")));
    m_saveReportButton->setText(
        uiText(QStringLiteral("inspect.save_report"), QStringLiteral("保存报告")));
    m_backToStreamButton->setText(uiText(QStringLiteral("common.back"), QStringLiteral("返回")));
    updateInspectionContext();
}

void MainWindow::applyResponsiveLayout()
{
    if (!m_contentCard || !centralWidget())
        return;
    const InspectionMetrics m = InspectionMetrics::forArea(
        centralWidget()->size(), LangManager::instance()->currentLanguage());
    const bool rowsChanged = m.twoRowBatch != m_metrics.twoRowBatch;
    m_metrics = m;

    if (auto *mainRow = qobject_cast<QHBoxLayout *>(centralWidget()->layout())) {
        mainRow->setSpacing(m.mainSpacing);
        mainRow->setContentsMargins(0, m.mainTop, m.mainRight, m.mainBottom);
    }
    m_cardLayout->setContentsMargins(m.cardSide, m.cardTop, m.cardSide, 0);
    m_workRow->setSpacing(m.rowSpacing);
    m_actionRow->setSpacing(m.rowSpacing);
    m_actionRow->setContentsMargins(0, m.actionTop, 0, m.actionBottom);
    m_rightPanel->setFixedWidth(m.rightPanelWidth);
    m_saveHolder->setFixedWidth(m.rightPanelWidth);
    m_rightPanelLayout->setSpacing(m.rightPanelSpacing);
    m_earRow->setSpacing(m.earRowSpacing);
    for (QPushButton *ear : {m_leftEarButton, m_rightEarButton}) {
        ear->setFixedSize(m.earButton);
        ear->layout()->setContentsMargins(0, m.earMarginTop, 0, m.earMarginBottom);
    }
    setIcon(m_leftEarIcon, QStringLiteral(":/res/left-ear-2x.png"), m.leftEarIcon);
    setIcon(m_rightEarIcon, QStringLiteral(":/res/right-ear-2x.png"), m.rightEarIcon);

    m_selectAllCheck->setStyleSheet(
        QStringLiteral("QCheckBox { color: #333333; font-size: %1px; spacing: %2px; "
                       "background: transparent; }"
                       "QCheckBox::indicator { width: %3px; height: %3px; border: 2px solid "
                       "#c5c5c5; border-radius: 4px; background: white; }"
                       "QCheckBox::indicator:checked { border-color: #ec5c0b; background: "
                       "#ec5c0b; }"
                       "QCheckBox::indicator:disabled { border-color: #e3e3e3; }")
            .arg(m.selectAllFontPx)
            .arg(m.selectAllSpacing)
            .arg(m.indicatorSize - 4));
    const QString batchStyle =
        QStringLiteral("QPushButton { color: %1; font-size: %2px; border: none; background: "
                       "transparent; padding: 0 2px; }"
                       "QPushButton:hover { color: %3; }"
                       "QPushButton:disabled { color: #c5c5c5; }");
    m_batchSaveAsButton->setStyleSheet(batchStyle.arg(QStringLiteral("#585656"))
                                           .arg(m.batchFontPx)
                                           .arg(QStringLiteral("#ec5c0b")));
    m_batchDeleteButton->setStyleSheet(batchStyle.arg(QStringLiteral("#fe5d5d"))
                                           .arg(m.batchFontPx)
                                           .arg(QStringLiteral("#ff7a7a")));
    m_compareButton->setStyleSheet(batchStyle.arg(QStringLiteral("#2c84fd"))
                                       .arg(m.batchFontPx)
                                       .arg(QStringLiteral("#ec5c0b")));
    m_photoPanel->setMinimumHeight(m.photoPanelMinHeight);
    m_emptyPhotoLabel->setMinimumHeight(m.emptyLabelMinHeight);
    m_emptyPhotoLabel->setStyleSheet(
        QStringLiteral("QLabel { color: #999999; font-size: %1px; background: transparent; }")
            .arg(m.emptyFontPx));
    if (rowsChanged || m_batchRowTop->count() == 0)
        arrangeBatchArea(m.twoRowBatch);
    updateEarButtons();
}

void MainWindow::updateEarCounts()
{
    if (!m_leftEarText)
        return;
    // The count tells, without switching ears, that a capture went where meant.
    const int left = m_leftPhotos.size();
    const int right = m_rightPhotos.size();
    m_leftEarText->setText(
        left == 0 ? uiText(QStringLiteral("inspect.ear.left"), QStringLiteral("左耳"))
                  : uiText(QStringLiteral("inspect.ear.left_count"), QStringLiteral("左耳 %1"))
                        .arg(left));
    m_rightEarText->setText(
        right == 0 ? uiText(QStringLiteral("inspect.ear.right"), QStringLiteral("右耳"))
                   : uiText(QStringLiteral("inspect.ear.right_count"), QStringLiteral("右耳 %1"))
                         .arg(right));
}

void MainWindow::updateEarButtons()
{
    if (!m_leftEarButton)
        return;
    const struct
    {
        QPushButton *button;
        QLabel *icon;
        QLabel *text;
        EarLook look;
        bool selected;
    } ears[] = {{m_leftEarButton, m_leftEarIcon, m_leftEarText, LeftLook, m_leftEarSelected},
                {m_rightEarButton, m_rightEarIcon, m_rightEarText, RightLook, !m_leftEarSelected}};
    for (const auto &ear : ears) {
        // The chosen ear shows in its colour with or without the device: a
        // capture goes there the moment the device is back.
        const bool lit = ear.selected;
        const QString border = lit ? QLatin1String(ear.look.selected) : QStringLiteral("#c5c5c5");
        ear.button->setStyleSheet(
            QStringLiteral("QPushButton { background: white; border: 2px solid %1; "
                           "border-radius: 20px; }")
                .arg(border));
        ear.text->setStyleSheet(
            QStringLiteral("QLabel { color: %1; font-size: %2px; background: transparent; "
                           "border: none; }")
                .arg(lit ? QLatin1String(ear.look.selected) : QStringLiteral("#999999"))
                .arg(m_metrics.earFontPx));
        if (auto *tint = qobject_cast<QGraphicsColorizeEffect *>(ear.icon->graphicsEffect())) {
            tint->setColor(QColor(lit ? QLatin1String(ear.look.tint) : QStringLiteral("#c8c8c8")));
            tint->setStrength(1.0);
        }
    }
}

// Photos already taken can be saved after the device went away (a flat
// battery, a dropped network): only an empty workspace needs the device first.
void MainWindow::updateSaveReportButton()
{
    if (!m_saveReportButton)
        return;
    const bool enabled = m_deviceConnected || !m_leftPhotos.isEmpty() || !m_rightPhotos.isEmpty();
    m_saveReportButton->setEnabled(enabled);
    m_saveReportButton->setStyleSheet(
        enabled ? QStringLiteral("QPushButton { background: #585656; border: none; "
                                 "border-radius: 25px; color: white; font-size: 14px; "
                                 "font-weight: bold; }"
                                 "QPushButton:hover { background: #666464; }")
                : QStringLiteral("QPushButton { background: #c5c5c5; border: 1px solid #c5c5c5; "
                                 "border-radius: 25px; color: white; font-size: 14px; "
                                 "font-weight: bold; }"
                                 "QPushButton:hover { background: #c5c5c5; }"));
}

void MainWindow::updateDeviceStateUi()
{
    updateEarButtons();
    if (m_captureButton) {
        m_captureButton->setEnabled(m_deviceConnected);
        m_captureButton->setStyleSheet(
            m_deviceConnected
                ? QStringLiteral("QPushButton { background: #ec5c0b; border: 1px solid white; "
                                 "border-radius: 25px; }"
                                 "QPushButton:hover { background: #f06d24; }")
                : QStringLiteral("QPushButton { background: #c5c5c5; border: 1px solid #c5c5c5; "
                                 "border-radius: 25px; }"
                                 "QPushButton:hover { background: #c5c5c5; }"));
        m_captureText->setStyleSheet(
            QStringLiteral("QLabel { color: white; font-size: 14px; font-weight: bold; background: "
                           "transparent; border: none; }"));
    }
    updateSaveReportButton();
    if (m_photoListLayout && (m_leftPhotos.isEmpty() || m_rightPhotos.isEmpty()))
        refreshPhotoList();
    if (m_streamContainer) {
        m_streamContainer->setStyleSheet(StreamContainerStyle.arg(
            m_deviceConnected ? QStringLiteral("#e6e6e6") : QStringLiteral("#e3e3e3")));
    }
    if (m_photoPanel) {
        m_photoPanel->setStyleSheet(PhotoPanelStyle);
        m_photoList->setStyleSheet(PhotoListStyle);
    }
    if (m_wifiSignalLabel)
        m_wifiSignalLabel->setStyleSheet(WifiLabelStyle);
}

void MainWindow::onLeftEarButtonClicked()
{
    qDebug() << "选择左耳";
    m_leftEarSelected = true;
    updateEarButtons();
    refreshPhotoList();
}

void MainWindow::onRightEarButtonClicked()
{
    qDebug() << "选择右耳";
    m_leftEarSelected = false;
    updateEarButtons();
    refreshPhotoList();
}

void MainWindow::resetInspection()
{
    m_leftPhotos.clear();
    m_rightPhotos.clear();
    m_leftEarSelected = true;
    m_freshPhotoIndex = -1;
    leavePhotoView();
    updateEarButtons();
    refreshPhotoList();
}

void MainWindow::updateInspectionContext()
{
    if (!m_contextBanner || !m_contextCustomerLabel || !m_contextOrderLabel)
        return;
    if (!m_hasInspectionContext) {
        m_contextBanner->hide();
        return;
    }
    const QString customer =
        uiText(QStringLiteral("inspect.context.customer"), QStringLiteral("客户姓名：")) +
        m_draftCustomer.name;
    const QString order =
        uiText(QStringLiteral("inspect.context.order_number"), QStringLiteral("订单编号：")) +
        m_draftCustomer.orderNumber;
    // Where the banner is narrow the values are shown without their captions.
    m_contextCustomerLabel->setText(customer);
    m_contextCustomerLabel->setShortText(m_draftCustomer.name);
    m_contextCustomerLabel->setToolTip(plainToolTip(customer));
    m_contextOrderLabel->setText(order);
    m_contextOrderLabel->setShortText(m_draftCustomer.orderNumber);
    m_contextOrderLabel->setToolTip(plainToolTip(order));
    m_contextBanner->show();
}

void MainWindow::onInspectionContextCloseClicked()
{
    if (!m_hasInspectionContext)
        return;
    clearInspectionContext();
}

void MainWindow::setPhotoFolder(const QString &folder)
{
    m_photoFolder = folder;
    QDir().mkpath(m_photoFolder);
}

bool MainWindow::inspectionEventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_contentCard) {
        // The page is shown or left (page switch, window hidden).
        if (event->type() == QEvent::Show || event->type() == QEvent::Hide)
            updateCaptureShortcut();
        return false;
    }
    if (watched == m_photoList && event->type() == QEvent::Resize) {
        if (m_photoList->width() != m_photoListBuiltWidth)
            refreshPhotoList();
        return false;
    }
    if (watched == m_photoViewLabel) {
        if (event->type() == QEvent::Resize) {
            renderPhotoView();
        } else if (event->type() == QEvent::MouseButtonDblClick &&
                   m_centerStack->currentIndex() == 1 && m_viewedPhotoIndex >= 0) {
            onFullscreenBtnClicked();
            return true;
        }
    }
    return false;
}

void MainWindow::updateCaptureShortcut()
{
    const bool pageShown = m_contentCard && m_contentCard->isVisible();
    if (m_captureShortcut)
        m_captureShortcut->setEnabled(pageShown);
    for (QShortcut *shortcut : std::as_const(m_viewShortcuts))
        shortcut->setEnabled(pageShown);
}
