#include "records/orderpage.h"

#include "i18n/langmanager.h"
#include "records/exportfolder.h"
#include "records/listpaging.h"
#include "records/ordercsv.h"
#include "records/orderdisplay.h"
#include "records/orderlayout.h"
#include "records/store/ordernumbering.h"
#include "records/store/recordsbackend.h"
#include "ui/common/combopopup.h"
#include "ui/common/elidedlabel.h"
#include "ui/common/iconpixmap.h"
#include "ui/common/ordertableheader.h"
#include "ui/common/plaintooltip.h"
#include "ui/common/promptdialog.h"
#include "ui/common/roundedcheckbox.h"
#include "ui/common/transientnotice.h"

#include <QBoxLayout>
#include <QComboBox>
#include <QDate>
#include <QFileDialog>
#include <QFrame>
#include <QGraphicsDropShadowEffect>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QStackedWidget>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

namespace {

// How often a page whose store could not be reached asks again.
constexpr int RetryIntervalMs = 3000;

const char *const DateFormat = "yyyy.MM.dd";

const QString FieldStyle = QStringLiteral(
    "QLineEdit {  border: none; border-radius: 20px;  padding: 4px %1px; font-size: %2px; "
    "background: white;  color: #333333;}QLineEdit:focus { border: none; }");

const QString ScrollBarStyle = QStringLiteral(
    "QScrollBar:vertical { width: 6px; background: transparent; margin: 0; }"
    "QScrollBar::handle:vertical { background: #d0d0d0; border-radius: 3px; min-height: 30px; }"
    "QScrollBar::add-line:vertical, QScrollBar::sub-line:vertical { height: 0; }"
    "QScrollBar::add-page:vertical, QScrollBar::sub-page:vertical { background: transparent; }");

const QString EmptyListStyle =
    QStringLiteral("color: #999999; font-size: 14px; background: transparent; padding-top: 24px;");

const QString PageBoxStyle = QStringLiteral(
    "QComboBox { border: 1px solid #4a4a4a; border-radius: 4px; padding: 2px 6px; "
    "font-size: 13px; color: #4a4a4a; background: white; }"
    "QComboBox::drop-down { width: 18px; border: none; }"
    "QComboBox::down-arrow { image: url(:/res/combo_arrow.png); width: 10px; height: 10px; }");

const QString StepButtonStyle =
    QStringLiteral("QPushButton { background: white; color: #4a4a4a; font-size: 13px; "
                   "border: 1px solid #4a4a4a; border-radius: 4px; padding: 4px 12px; }"
                   "QPushButton:hover { background: #f5f5f5; }"
                   "QPushButton:disabled { color: #b0b0b0; border-color: #d0d0d0; }");

void addShadow(QWidget *widget)
{
    auto *shadow = new QGraphicsDropShadowEffect(widget);
    shadow->setBlurRadius(17);
    shadow->setOffset(0, 4);
    shadow->setColor(QColor(235, 235, 235));
    widget->setGraphicsEffect(shadow);
}

QString currentLanguage()
{
    return LangManager::instance()->currentLanguage();
}

QLabel *plainLabel(const QString &text, QWidget *parent)
{
    auto *label = new QLabel(parent);
    label->setTextFormat(Qt::PlainText);
    label->setText(text);
    return label;
}

// Up to `keptWidth` pixels of the text are never shortened.
QWidget *iconTextItem(const QString &iconPath, const QString &text, const QString &objectName,
                      QWidget *parent, int keptWidth = 0)
{
    auto *item = new QWidget(parent);
    item->setObjectName(QStringLiteral("cardIconItem"));
    auto *layout = new QHBoxLayout(item);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(10);
    auto *icon = new QLabel(item);
    icon->setFixedSize(16, 16);
    setIconPixmap(icon, iconPath, QSize(16, 16));
    auto *label = new ElidedLabel(OrderDisplay::singleLine(text), item);
    label->setObjectName(objectName);
    label->setToolTip(plainToolTip(text));
    label->setMaximumHintWidth(220);
    label->setKeptWidth(keptWidth);
    layout->addWidget(icon, 0, Qt::AlignVCenter);
    layout->addWidget(label, 1, Qt::AlignVCenter);
    return item;
}

QPushButton *linkButton(const QString &text, const QString &iconPath, const QString &objectName,
                        QWidget *parent)
{
    auto *button = new QPushButton(QIcon(iconPath), text, parent);
    button->setObjectName(objectName);
    button->setFlat(true);
    button->setCursor(Qt::PointingHandCursor);
    button->setIconSize(QSize(12, 12));
    return button;
}

QPushButton *pageButton(const QString &objectName, QWidget *parent)
{
    auto *button = new QPushButton(parent);
    button->setObjectName(objectName);
    button->setCursor(Qt::PointingHandCursor);
    return button;
}

QLineEdit *searchField(const QString &objectName, QWidget *parent)
{
    auto *field = new QLineEdit(parent);
    field->setObjectName(objectName);
    field->setMinimumWidth(140);
    field->setMaximumWidth(210);
    field->setFixedHeight(40);
    field->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    addShadow(field);
    return field;
}

QLineEdit *dateField(const QString &objectName, const QString &text, QWidget *parent)
{
    auto *field = new QLineEdit(text, parent);
    field->setObjectName(objectName);
    field->setFixedHeight(40);
    field->setMinimumWidth(96);
    field->setMaximumWidth(120);
    addShadow(field);
    return field;
}

QString cardStyleSheet()
{
    const OrderLayout::OrderPageMetrics metrics = OrderLayout::orderPageMetrics(currentLanguage());
    return QStringLiteral(
               "QWidget#cardContainer, QFrame#orderCard, QWidget#cardIconItem { background: "
               "transparent; }"
               "QFrame#cardHeader { background: #ededed; border-top-left-radius: 24px; "
               "border-top-right-radius: 24px; }"
               "QFrame#cardBody { background: white; border-bottom-left-radius: 24px; "
               "border-bottom-right-radius: 24px; }"
               "QLabel#cardNumberLabel { font-size: 12px; color: #7d7d7d; background: "
               "transparent; }"
               "QLabel#cardNameText, QLabel#cardPhoneText { font-size: 13px; font-weight: bold; "
               "color: #333333; background: transparent; }"
               "QLabel#cardCreatedLabel { color: #666666; font-size: %1px; background: "
               "transparent; }"
               "RoundedCheckBox { background: transparent; color: #333333; }"
               "QPushButton#cardEditButton, QPushButton#cardDetailButton, "
               "QPushButton#cardDeleteButton { background: transparent; border: none; "
               "text-align: left; font-weight: 500; font-size: %2px; }"
               "QPushButton#cardEditButton, QPushButton#cardDetailButton, "
               "QPushButton#cardEditButton:hover, QPushButton#cardDetailButton:hover "
               "{ color: #ec5c0b; }"
               "QPushButton#cardDeleteButton, QPushButton#cardDeleteButton:hover "
               "{ color: #ff746e; }")
        .arg(metrics.cardCreatedFontSize)
        .arg(metrics.cardLinkFontSize);
}

QString startOfYearText()
{
    return QStringLiteral("%1.01.01").arg(QDate::currentDate().year());
}

QString todayText()
{
    return QDate::currentDate().toString(QLatin1String(DateFormat));
}

} // namespace

OrderPage::OrderPage(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_StyledBackground);
    setStyleSheet(QStringLiteral("OrderPage { background-color: #f7f8fc; }"));
    buildUi();
    m_retryTimer = new QTimer(this);
    m_retryTimer->setSingleShot(true);
    m_retryTimer->setInterval(RetryIntervalMs);
    connect(m_retryTimer, &QTimer::timeout, this, &OrderPage::onRetryTimeout);
    loadOrders();
    connect(LangManager::instance(), &LangManager::languageChanged, this, &OrderPage::retranslate);
    retranslate();
}

void OrderPage::buildUi()
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 18, 24, 18);
    layout->setSpacing(12);
    layout->addWidget(buildSearchRow());

    layout->addSpacing(8);
    auto *newOrderRow = new QHBoxLayout;
    m_newOrderButton = pageButton(QStringLiteral("newOrderButton"), this);
    m_newOrderButton->setIcon(QIcon(QStringLiteral(":/res/orderManage/new_order.png")));
    m_newOrderButton->setIconSize(QSize(15, 15));
    m_newOrderButton->setFixedHeight(40);
    m_newOrderButton->setStyleSheet(QStringLiteral(
        "QPushButton { background: #4a4a4a; color: white; font-weight: bold; font-size: 13px; "
        "border: none; border-radius: 20px; padding: 8px 20px; }"
        "QPushButton:hover { background: #333333; }"));
    newOrderRow->addWidget(m_newOrderButton);
    newOrderRow->addStretch();
    layout->addLayout(newOrderRow);

    layout->addSpacing(10);
    layout->addWidget(buildViewRow());

    m_viewStack = new QStackedWidget(this);
    m_cardArea = new QScrollArea(m_viewStack);
    m_cardArea->setObjectName(QStringLiteral("cardArea"));
    m_cardArea->setFrameShape(QFrame::NoFrame);
    m_cardArea->setWidgetResizable(true);
    m_cardArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_cardArea->setStyleSheet(
        QStringLiteral("QScrollArea { background: transparent; border: none; }"
                       "QScrollArea > QWidget > QWidget { background: "
                       "transparent; }") +
        ScrollBarStyle);
    m_cardArea->viewport()->setStyleSheet(QStringLiteral("background: transparent;"));
    m_viewStack->addWidget(m_cardArea);
    buildTable();
    m_viewStack->addWidget(m_table);
    layout->addWidget(m_viewStack, 1);
    layout->addWidget(buildPaginationRow());

    connect(m_queryButton, &QPushButton::clicked, this, &OrderPage::onQueryClicked);
    for (QLineEdit *field :
         {m_orderNumberEdit, m_nameEdit, m_phoneEdit, m_startDateEdit, m_endDateEdit})
        connect(field, &QLineEdit::returnPressed, this, &OrderPage::onQueryClicked);
    connect(m_resetButton, &QPushButton::clicked, this, &OrderPage::onResetClicked);
    connect(m_deleteAllButton, &QPushButton::clicked, this, &OrderPage::onBatchDeleteClicked);
    connect(m_newOrderButton, &QPushButton::clicked, this, &OrderPage::configRequested);
    connect(m_pageSizeBox, &QComboBox::currentIndexChanged, this, &OrderPage::onPageSizeChanged);
    connect(m_goButton, &QPushButton::clicked, this, &OrderPage::onGoClicked);
    connect(m_previousButton, &QPushButton::clicked, this, &OrderPage::onPreviousClicked);
    connect(m_nextButton, &QPushButton::clicked, this, &OrderPage::onNextClicked);
    connect(m_sequenceBox, &QComboBox::currentIndexChanged, this, &OrderPage::onSequenceChanged);
    connect(m_pageNumberEdit, &QLineEdit::returnPressed, this, &OrderPage::onGoClicked);
    connect(m_gridButton, &QPushButton::clicked, this, &OrderPage::onGridViewClicked);
    connect(m_listButton, &QPushButton::clicked, this, &OrderPage::onListViewClicked);
    connect(m_selectAllButton, &QPushButton::clicked, this, &OrderPage::onSelectAllClicked);
    connect(m_exportCsvButton, &QPushButton::clicked, this, &OrderPage::onExportCsvClicked);
    connect(m_header, &OrderTableHeader::checkAllToggled, this, &OrderPage::onCheckAllToggled);
}

QWidget *OrderPage::buildSearchRow()
{
    // Two groups side by side; on a narrow page the date group moves below.
    auto *row = new QWidget(this);
    m_searchLayout = new QBoxLayout(QBoxLayout::LeftToRight, row);
    m_searchLayout->setContentsMargins(0, 0, 0, 0);
    m_searchLayout->setSpacing(10);
    m_searchTexts = new QWidget(row);
    m_searchDates = new QWidget(row);
    auto *texts = new QHBoxLayout(m_searchTexts);
    auto *dates = new QHBoxLayout(m_searchDates);
    for (QHBoxLayout *group : {texts, dates}) {
        group->setContentsMargins(0, 0, 0, 0);
        group->setSpacing(10);
    }
    const QString labelStyle = QStringLiteral("font-size: 13px; color: #333333;");
    auto label = [&](QLabel **target, QWidget *parent) {
        *target = new QLabel(parent);
        (*target)->setStyleSheet(labelStyle);
        return *target;
    };
    m_orderNumberEdit = searchField(QStringLiteral("orderNumberEdit"), m_searchTexts);
    m_nameEdit = searchField(QStringLiteral("nameEdit"), m_searchTexts);
    m_phoneEdit = searchField(QStringLiteral("phoneEdit"), m_searchTexts);
    m_startDateEdit = dateField(QStringLiteral("startDateEdit"), startOfYearText(), m_searchDates);
    m_endDateEdit = dateField(QStringLiteral("endDateEdit"), todayText(), m_searchDates);

    texts->addWidget(label(&m_orderNumberLabel, m_searchTexts));
    texts->addWidget(m_orderNumberEdit);
    texts->addSpacing(8);
    texts->addWidget(label(&m_nameLabel, m_searchTexts));
    texts->addWidget(m_nameEdit);
    texts->addSpacing(8);
    texts->addWidget(label(&m_phoneLabel, m_searchTexts));
    texts->addWidget(m_phoneEdit);

    dates->addWidget(label(&m_createdLabel, m_searchDates));
    dates->addWidget(m_startDateEdit);
    auto *dash = new QLabel(QStringLiteral("—"), m_searchDates);
    dash->setStyleSheet(labelStyle);
    dates->addWidget(dash);
    dates->addWidget(m_endDateEdit);
    dates->addSpacing(10);
    m_queryButton = pageButton(QStringLiteral("queryButton"), m_searchDates);
    m_queryButton->setStyleSheet(QStringLiteral(
        "QPushButton { background: #4a4a4a; color: white; font-weight: bold; font-size: 13px; "
        "border: none; border-radius: 20px; padding: 6px 18px; min-height: 28px; }"
        "QPushButton:hover { background: #333333; }"));
    m_resetButton = pageButton(QStringLiteral("resetButton"), m_searchDates);
    m_resetButton->setStyleSheet(QStringLiteral(
        "QPushButton { background: white; color: #4a4a4a; font-weight: bold; font-size: 13px; "
        "border: 1px solid #4a4a4a; border-radius: 20px; padding: 6px 16px; min-height: 26px; }"
        "QPushButton:hover { background: #f5f5f5; }"));
    dates->addWidget(m_queryButton);
    dates->addWidget(m_resetButton);

    m_searchLayout->addWidget(m_searchTexts, 0, Qt::AlignLeft);
    m_searchLayout->addSpacing(8);
    m_searchLayout->addWidget(m_searchDates, 0, Qt::AlignLeft);
    m_searchLayout->addStretch();
    return row;
}

void OrderPage::arrangeSearchRow()
{
    const QMargins margins = layout()->contentsMargins();
    const int available = width() - margins.left() - margins.right();
    const int needed = m_searchTexts->sizeHint().width() + m_searchDates->sizeHint().width() +
                       m_searchLayout->spacing() * 2 + 8;
    const auto direction = available >= needed ? QBoxLayout::LeftToRight : QBoxLayout::TopToBottom;
    if (m_searchLayout->direction() != direction)
        m_searchLayout->setDirection(direction);
}

QWidget *OrderPage::buildViewRow()
{
    auto *row = new QWidget(this);
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);
    m_sectionTitle = new QLabel(row);
    m_sectionTitle->setStyleSheet(
        QStringLiteral("font-size: 16px; font-weight: bold; color: #333333;"));
    layout->addWidget(m_sectionTitle);
    layout->addSpacing(18);

    m_gridButton = pageButton(QStringLiteral("gridViewButton"), row);
    m_listButton = pageButton(QStringLiteral("listViewButton"), row);
    for (QPushButton *button : {m_gridButton, m_listButton}) {
        button->setFixedSize(34, 24);
        button->setIconSize(QSize(18, 18));
        layout->addWidget(button);
    }
    applyViewButtonLooks();
    layout->addSpacing(14);
    // Filled with its two texts by retranslate(); index 0 is newest first.
    m_sequenceBox = new QComboBox(row);
    m_sequenceBox->setObjectName(QStringLiteral("sequenceBox"));
    m_sequenceBox->addItems({QString(), QString()});
    m_sequenceBox->setFixedHeight(24);
    m_sequenceBox->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    m_sequenceBox->setCursor(Qt::PointingHandCursor);
    m_sequenceBox->setStyleSheet(PageBoxStyle);
    styleComboPopup(m_sequenceBox);
    layout->addWidget(m_sequenceBox);
    layout->addStretch();

    m_selectAllButton = pageButton(QStringLiteral("selectAllButton"), row);
    m_selectAllButton->setIcon(QIcon(QStringLiteral(":/res/orderManage/select_all.png")));
    m_selectAllButton->setIconSize(QSize(14, 14));
    m_selectAllButton->setFixedHeight(29);
    m_selectAllButton->setStyleSheet(
        QStringLiteral("QPushButton { background: white; color: #4a4a4a; font-size: 12px; "
                       "border: 1px solid #4a4a4a; border-radius: 14px; padding: 4px 14px; }"
                       "QPushButton:hover { background: #f5f5f5; }"));
    m_deleteAllButton = pageButton(QStringLiteral("deleteAllButton"), row);
    m_deleteAllButton->setIcon(QIcon(QStringLiteral(":/res/orderManage/delete_all.png")));
    m_deleteAllButton->setIconSize(QSize(14, 14));
    m_deleteAllButton->setFixedHeight(29);
    m_deleteAllButton->setStyleSheet(
        QStringLiteral("QPushButton { background: white; color: #ff746e; font-size: 12px; "
                       "border: 1px solid #ff746e; border-radius: 14px; padding: 4px 14px; }"
                       "QPushButton:hover { background: #fff0ef; }"));
    m_exportCsvButton = pageButton(QStringLiteral("exportCsvButton"), row);
    m_exportCsvButton->setFixedHeight(29);
    m_exportCsvButton->setStyleSheet(m_selectAllButton->styleSheet());
    layout->addWidget(m_exportCsvButton);
    layout->addSpacing(6);
    layout->addWidget(m_selectAllButton);
    layout->addSpacing(6);
    layout->addWidget(m_deleteAllButton);
    return row;
}

void OrderPage::applyViewButtonLooks()
{
    // The dark look marks the view that is shown.
    const QString highlighted =
        QStringLiteral("QPushButton { background: #4a4a4a; border: 1px solid #4a4a4a; %1 }"
                       "QPushButton:hover { background: #333333; }");
    const QString plain =
        QStringLiteral("QPushButton { background: white; border: 1px solid #4a4a4a; %1 }"
                       "QPushButton:hover { background: #f5f5f5; }");
    const QString left = QStringLiteral("border-top-left-radius: 5px; "
                                        "border-bottom-left-radius: 5px;");
    const QString right = QStringLiteral("border-top-right-radius: 5px; "
                                         "border-bottom-right-radius: 5px;");
    const bool cards = m_viewMode == CardView;
    m_gridButton->setStyleSheet((cards ? highlighted : plain).arg(left));
    m_listButton->setStyleSheet((cards ? plain : highlighted).arg(right));
    // Both pictures are recoloured: light on the dark look, dark on the plain one.
    auto icon = [](const QString &path, bool light) {
        QImage image(path);
        if (image.isNull())
            return QIcon();
        image = image.convertToFormat(QImage::Format_ARGB32);
        const QRgb color = light ? qRgb(255, 255, 255) : qRgb(0x4a, 0x4a, 0x4a);
        for (int y = 0; y < image.height(); ++y) {
            auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
            for (int x = 0; x < image.width(); ++x)
                line[x] = qRgba(qRed(color), qGreen(color), qBlue(color), qAlpha(line[x]));
        }
        return QIcon(QPixmap::fromImage(image));
    };
    m_gridButton->setIcon(icon(QStringLiteral(":/res/orderManage/tiled_view.png"), cards));
    m_listButton->setIcon(icon(QStringLiteral(":/res/orderManage/list_view.png"), !cards));
}

void OrderPage::buildTable()
{
    m_table = new QTableWidget(0, 9, m_viewStack);
    m_table->setObjectName(QStringLiteral("orderTable"));
    m_header = new OrderTableHeader(Qt::Horizontal, m_table);
    m_table->setHorizontalHeader(m_header);
    m_header->setDefaultAlignment(Qt::AlignCenter);
    // Columns of fixed-format values and the actions take the width their
    // texts need in the current language; the user's data shares the rest
    // and is shortened with "…" (the whole text is in the tooltip).
    m_header->setSectionResizeMode(QHeaderView::ResizeToContents);
    for (int column : {2, 3, 6})
        m_header->setSectionResizeMode(column, QHeaderView::Stretch);
    m_header->setSectionResizeMode(0, QHeaderView::Fixed);
    m_header->resizeSection(0, 44);
    m_header->setSectionResizeMode(8, QHeaderView::Fixed);
    m_tableEmptyLabel = new QLabel(m_table->viewport());
    m_tableEmptyLabel->setObjectName(QStringLiteral("emptyListLabel"));
    m_tableEmptyLabel->setTextFormat(Qt::PlainText);
    m_tableEmptyLabel->setStyleSheet(EmptyListStyle);
    m_tableEmptyLabel->hide();
    auto *emptyLayout = new QVBoxLayout(m_table->viewport());
    emptyLayout->setContentsMargins(0, 24, 0, 0);
    emptyLayout->addWidget(m_tableEmptyLabel, 0, Qt::AlignHCenter | Qt::AlignTop);
    m_table->verticalHeader()->hide();
    m_table->verticalHeader()->setDefaultSectionSize(56);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setSelectionMode(QAbstractItemView::NoSelection);
    m_table->setFocusPolicy(Qt::NoFocus);
    m_table->setShowGrid(false);
    m_table->setAlternatingRowColors(true);
    m_table->setWordWrap(false);
    m_table->setTextElideMode(Qt::ElideRight);
    m_table->setStyleSheet(
        QStringLiteral(
            "QTableWidget { border: 1px solid #efefef; border-radius: 6px; font-size: 13px; "
            "color: #333333; background: white; alternate-background-color: white; }"
            "QTableWidget::item { padding: 8px 4px; border-bottom: 1px solid #f6f1ef; }"
            "QHeaderView::section { background: #ededed; color: #555555; font-weight: bold; "
            "font-size: 13px; border: none; border-bottom: 1px solid #efefef; "
            "padding: 10px 2px; }") +
        ScrollBarStyle);
}

QWidget *OrderPage::buildPaginationRow()
{
    auto *row = new QWidget(this);
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(8);
    const QString mutedStyle = QStringLiteral("font-size: 13px; color: #555555;");
    layout->addStretch();
    m_totalPagesLabel = new QLabel(row);
    m_totalPagesLabel->setObjectName(QStringLiteral("totalPagesLabel"));
    m_totalPagesLabel->setStyleSheet(mutedStyle);
    layout->addWidget(m_totalPagesLabel);

    m_pageSizeBox = new QComboBox(row);
    m_pageSizeBox->setObjectName(QStringLiteral("pageSizeBox"));
    m_pageSizeBox->addItems({QStringLiteral("10"), QStringLiteral("20"), QStringLiteral("50")});
    m_pageSizeBox->setFixedSize(66, 28);
    m_pageSizeBox->setCursor(Qt::PointingHandCursor);
    m_pageSizeBox->setStyleSheet(PageBoxStyle);
    styleComboPopup(m_pageSizeBox);
    layout->addWidget(m_pageSizeBox);

    m_previousButton = pageButton(QStringLiteral("previousPageButton"), row);
    layout->addWidget(m_previousButton);
    m_currentPageLabel = new QLabel(QStringLiteral("1"), row);
    m_currentPageLabel->setObjectName(QStringLiteral("currentPageLabel"));
    m_currentPageLabel->setFixedHeight(28);
    m_currentPageLabel->setMinimumWidth(32);
    m_currentPageLabel->setAlignment(Qt::AlignCenter);
    m_currentPageLabel->setStyleSheet(
        QStringLiteral("background: #4a4a4a; color: white; font-size: 13px; border-radius: 4px; "
                       "padding: 4px 10px;"));
    layout->addWidget(m_currentPageLabel);
    m_nextButton = pageButton(QStringLiteral("nextPageButton"), row);
    for (QPushButton *button : {m_previousButton, m_nextButton}) {
        button->setFixedHeight(28);
        button->setStyleSheet(StepButtonStyle);
    }
    layout->addWidget(m_nextButton);
    layout->addSpacing(16);

    m_jumpLabel = new QLabel(row);
    m_jumpLabel->setStyleSheet(mutedStyle);
    layout->addWidget(m_jumpLabel);
    m_pageNumberEdit = new QLineEdit(row);
    m_pageNumberEdit->setObjectName(QStringLiteral("pageNumberEdit"));
    m_pageNumberEdit->setFixedSize(46, 28);
    m_pageNumberEdit->setAlignment(Qt::AlignCenter);
    m_pageNumberEdit->setStyleSheet(QStringLiteral(
        "QLineEdit { border: 1px solid #d0d0d0; border-radius: 4px; padding: 3px 6px; "
        "font-size: 13px; background: white; }QLineEdit:focus { border-color: #4a4a4a; }"));
    layout->addWidget(m_pageNumberEdit);
    m_goButton = pageButton(QStringLiteral("goButton"), row);
    m_goButton->setFixedHeight(28);
    m_goButton->setStyleSheet(StepButtonStyle);
    layout->addWidget(m_goButton);
    layout->addStretch();
    return row;
}

void OrderPage::applyLanguageMetrics()
{
    const OrderLayout::OrderPageMetrics metrics = OrderLayout::orderPageMetrics(currentLanguage());
    // The widths suit the shipped texts; a longer text widens its button
    // instead of being cut off.
    const auto fitWidth = [](QPushButton *button, int width) {
        button->setMinimumWidth(0);
        button->setMaximumWidth(QWIDGETSIZE_MAX);
        button->setFixedWidth(std::max(width, button->sizeHint().width()));
    };
    fitWidth(m_newOrderButton, metrics.newOrderButtonWidth);
    fitWidth(m_selectAllButton, metrics.selectAllButtonWidth);
    fitWidth(m_deleteAllButton, metrics.deleteAllButtonWidth);
    const QString style = FieldStyle.arg(metrics.fieldPadding).arg(metrics.fieldFontSize);
    for (QLineEdit *field :
         {m_orderNumberEdit, m_nameEdit, m_phoneEdit, m_startDateEdit, m_endDateEdit})
        field->setStyleSheet(style);
}

void OrderPage::retranslate()
{
    m_orderNumberLabel->setText(
        uiText(QStringLiteral("order.search.order_number.label"), QStringLiteral("订单编号:")));
    m_orderNumberEdit->setPlaceholderText(uiText(
        QStringLiteral("order.search.order_number.placeholder"), QStringLiteral("请输入订单编号")));
    m_nameLabel->setText(
        uiText(QStringLiteral("order.search.name.label"), QStringLiteral("客户姓名：")));
    m_nameEdit->setPlaceholderText(
        uiText(QStringLiteral("order.search.name.placeholder"), QStringLiteral("请输入客户姓名")));
    m_phoneLabel->setText(
        uiText(QStringLiteral("order.search.phone.label"), QStringLiteral("手机号：")));
    m_phoneEdit->setPlaceholderText(
        uiText(QStringLiteral("order.search.phone.placeholder"), QStringLiteral("请输入手机号码")));
    m_createdLabel->setText(
        uiText(QStringLiteral("order.search.created_time.label"), QStringLiteral("创建时间：")));
    const QString datePlaceholder =
        uiText(QStringLiteral("order.search.date.placeholder"), QStringLiteral("yyyy.MM.dd"));
    m_startDateEdit->setPlaceholderText(datePlaceholder);
    m_endDateEdit->setPlaceholderText(datePlaceholder);
    m_queryButton->setText(uiText(QStringLiteral("common.search"), QStringLiteral("查询")));
    m_resetButton->setText(uiText(QStringLiteral("common.reset"), QStringLiteral("重置")));
    m_newOrderButton->setText(uiText(QStringLiteral("orders.new"), QStringLiteral("新建订单")));
    m_sectionTitle->setText(
        uiText(QStringLiteral("orders.section_title"), QStringLiteral("| 订单列表")));
    m_selectAllButton->setText(uiText(QStringLiteral("common.select_all"), QStringLiteral("全选")));
    m_deleteAllButton->setText(
        uiText(QStringLiteral("orders.delete_all"), QStringLiteral("全部删除")));
    m_exportCsvButton->setText(
        uiText(QStringLiteral("orders.export_csv"), QStringLiteral("导出 CSV")));
    m_jumpLabel->setText(uiText(QStringLiteral("pagination.jump_to"), QStringLiteral("跳转")));
    m_goButton->setText(uiText(QStringLiteral("pagination.go"), QStringLiteral("GO")));
    m_previousButton->setText(
        uiText(QStringLiteral("pagination.previous"), QStringLiteral("上一页")));
    m_nextButton->setText(uiText(QStringLiteral("pagination.next"), QStringLiteral("下一页")));
    m_sequenceBox->setItemText(
        0, uiText(QStringLiteral("orders.sort.newest_first"), QStringLiteral("最新在前")));
    m_sequenceBox->setItemText(
        1, uiText(QStringLiteral("orders.sort.oldest_first"), QStringLiteral("最早在前")));

    m_table->setHorizontalHeaderLabels({
        QString(),
        uiText(QStringLiteral("table.no"), QStringLiteral("序号")),
        uiText(QStringLiteral("order.number"), QStringLiteral("订单编号")),
        uiText(QStringLiteral("customer.name"), QStringLiteral("客户姓名")),
        uiText(QStringLiteral("common.gender"), QStringLiteral("性别")),
        uiText(QStringLiteral("customer.age"), QStringLiteral("年龄")),
        uiText(QStringLiteral("customer.phone"), QStringLiteral("手机号")),
        uiText(QStringLiteral("order.created_time"), QStringLiteral("创建时间")),
        uiText(QStringLiteral("common.action"), QStringLiteral("操作")),
    });
    applyLanguageMetrics();
    arrangeSearchRow();
    refreshView();
}

void OrderPage::loadOrders()
{
    StoreResult result;
    setAllOrders(RecordsBackend::current().listOrders(&result));
    m_unreachable = result.status == StoreResult::Status::Unreachable;
    if (m_unreachable)
        m_retryTimer->start();
    else
        m_retryTimer->stop();
}

void OrderPage::onRetryTimeout()
{
    // A hidden page asks again when it is shown; no need to keep a server busy.
    if (!isVisible()) {
        m_retryTimer->start();
        return;
    }
    loadOrders();
    refreshView();
}

void OrderPage::reloadOrders()
{
    loadOrders();
    m_currentPage = 1;
    refreshView();
}

void OrderPage::setAllOrders(const QList<Customer> &orders)
{
    m_allOrders = orders;
    ++m_generation;
}

int OrderPage::totalPages() const
{
    return ListPaging::totalPages(int(m_filtered.size()), m_pageSize);
}

QList<Customer> OrderPage::filteredOrders() const
{
    QList<Customer> orders;
    orders.reserve(m_filtered.size());
    for (int index : m_filtered)
        orders.append(m_allOrders.at(index));
    return orders;
}

void OrderPage::refreshView()
{
    // Every derived number this refresh needs comes from one pass over the store.
    const OrderNumbering numbering(m_allOrders);
    m_filter.from = OrderFilter::parseBound(m_startDateEdit->text());
    m_filter.to = OrderFilter::parseBound(m_endDateEdit->text());
    m_filtered = m_filter.apply(m_allOrders, numbering);
    m_currentPage = ListPaging::clampPage(m_currentPage, int(m_filtered.size()), m_pageSize);
    if (m_viewMode == TableView) {
        m_viewStack->setCurrentWidget(m_table);
        buildTableRows(numbering);
    } else {
        m_viewStack->setCurrentWidget(m_cardArea);
        buildCards(numbering);
    }
    updatePagination();
}

void OrderPage::buildCards(const OrderNumbering &numbering)
{
    m_cardChecks.clear();
    auto *container = new QWidget;
    container->setObjectName(QStringLiteral("cardContainer"));
    // One sheet for every card: parsing a sheet per widget would dominate a rebuild.
    container->setStyleSheet(cardStyleSheet());
    auto *grid = new QGridLayout(container);
    grid->setContentsMargins(0, 14, 0, 8);
    grid->setHorizontalSpacing(OrderLayout::CardSpacing);
    grid->setVerticalSpacing(OrderLayout::CardSpacing);

    const QWidget *viewport = m_cardArea->viewport();
    const int columns = OrderLayout::cardColumns(viewport ? viewport->width() : -1);
    m_builtCardColumns = columns;
    const int first = ListPaging::firstIndex(m_currentPage, m_pageSize);
    const int count = ListPaging::rowsOnPage(m_currentPage, int(m_filtered.size()), m_pageSize);
    for (int i = 0; i < count; ++i) {
        const int storeIndex = m_filtered.at(first + i);
        grid->addWidget(buildCard(m_allOrders.at(storeIndex), storeIndex, numbering), i / columns,
                        i % columns);
    }
    if (count == 0) {
        QLabel *empty = plainLabel(emptyListText(), container);
        empty->setObjectName(QStringLiteral("emptyListLabel"));
        empty->setStyleSheet(EmptyListStyle);
        grid->addWidget(empty, 0, 0, 1, columns, Qt::AlignHCenter | Qt::AlignTop);
    }
    grid->setRowStretch((count + columns - 1) / columns, 1);
    for (int column = 0; column < columns; ++column)
        grid->setColumnStretch(column, 1);

    if (QWidget *old = m_cardArea->takeWidget())
        old->deleteLater();
    m_cardArea->setWidget(container);
}

QWidget *OrderPage::buildCard(const Customer &order, int storeIndex,
                              const OrderNumbering &numbering)
{
    auto *card = new QFrame;
    card->setObjectName(QStringLiteral("orderCard"));
    card->setMinimumWidth(OrderLayout::CardMinimumWidth);
    card->setFixedHeight(176);
    card->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    addShadow(card);
    auto *cardLayout = new QVBoxLayout(card);
    cardLayout->setContentsMargins(0, 0, 0, 0);
    cardLayout->setSpacing(0);

    auto *header = new QFrame(card);
    header->setObjectName(QStringLiteral("cardHeader"));
    header->setFixedHeight(50);
    auto *headerLayout = new QHBoxLayout(header);
    headerLayout->setContentsMargins(26, 0, 20, 0);
    headerLayout->setSpacing(12);
    // A typed number can be of any length; it gives way before the check box.
    const QString shownNumber = numbering.shownNumber(order);
    auto *number = new ElidedLabel(
        uiText(QStringLiteral("order.number_prefix"), QStringLiteral("订单编号：")) +
            OrderDisplay::singleLine(shownNumber.left(200)),
        header);
    number->setObjectName(QStringLiteral("cardNumberLabel"));
    number->setToolTip(plainToolTip(shownNumber));
    headerLayout->addWidget(number, 1);
    auto *check = new RoundedCheckBox(header);
    check->setCursor(Qt::PointingHandCursor);
    check->setObjectName(QStringLiteral("gcb_%1").arg(order.id));
    headerLayout->addWidget(check);
    m_cardChecks.append({check, storeIndex});
    cardLayout->addWidget(header);

    auto *body = new QFrame(card);
    body->setObjectName(QStringLiteral("cardBody"));
    auto *bodyLayout = new QVBoxLayout(body);
    bodyLayout->setContentsMargins(24, 22, 24, 18);
    bodyLayout->setSpacing(24);

    auto *infoRow = new QHBoxLayout;
    infoRow->setSpacing(34);
    infoRow->addWidget(iconTextItem(
        QStringLiteral(":/res/orderManage/name_icon.png"),
        OrderDisplay::orDash(order.name) + QStringLiteral(" · ") +
            OrderDisplay::genderText(order.gender, OrderDisplay::ChineseGenderDefaults),
        QStringLiteral("cardNameText"), body));
    // A phone number cut short is no use; the name gives way first.
    infoRow->addWidget(iconTextItem(QStringLiteral(":/res/orderManage/phone_icon.png"),
                                    OrderDisplay::orDash(order.phone),
                                    QStringLiteral("cardPhoneText"), body, 150));
    infoRow->addStretch();
    bodyLayout->addLayout(infoRow);
    bodyLayout->addStretch();

    auto *actionRow = new QHBoxLayout;
    // The German link texts are long; with less room between them the
    // creation time stays whole on a card of the narrowest window.
    actionRow->setSpacing(currentLanguage().startsWith(QLatin1String("de")) ? 12 : 22);
    auto *edit = linkButton(uiText(QStringLiteral("common.action.edit"), QStringLiteral("编辑")),
                            QStringLiteral(":/res/orderManage/edit_icon.png"),
                            QStringLiteral("cardEditButton"), body);
    auto *detail =
        linkButton(uiText(QStringLiteral("common.action.detail"), QStringLiteral("详情")),
                   QStringLiteral(":/res/orderManage/details_icon.png"),
                   QStringLiteral("cardDetailButton"), body);
    auto *remove =
        linkButton(uiText(QStringLiteral("common.action.delete"), QStringLiteral("删除")),
                   QStringLiteral(":/res/orderManage/delete_icon.png"),
                   QStringLiteral("cardDeleteButton"), body);
    actionRow->addWidget(edit, 0, Qt::AlignVCenter);
    actionRow->addWidget(detail, 0, Qt::AlignVCenter);
    actionRow->addWidget(remove, 0, Qt::AlignVCenter);
    const QString createdAt =
        OrderDisplay::listCreatedAt(OrderDisplay::singleLine(order.createdAt).left(64));
    auto *created = new ElidedLabel(
        uiText(QStringLiteral("order.created_time_prefix"), QStringLiteral("创建时间：")) +
            createdAt,
        body);
    // A narrow card drops the caption before it cuts the time.
    created->setShortText(createdAt);
    created->setMaximumHintWidth(400);
    created->setObjectName(QStringLiteral("cardCreatedLabel"));
    created->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    actionRow->addWidget(created, 1);
    bodyLayout->addLayout(actionRow);
    cardLayout->addWidget(body, 1);

    const int id = order.id;
    connect(edit, &QPushButton::clicked, this, [this, id] { onEditClicked(id); });
    connect(detail, &QPushButton::clicked, this, [this, id] { onDetailClicked(id); });
    // The confirmation runs from the event loop, not inside the click of a
    // button that the deletion's rebuild takes away.
    const int generation = m_generation;
    connect(remove, &QPushButton::clicked, this, [this, storeIndex, generation] {
        QTimer::singleShot(
            0, this, [this, storeIndex, generation] { deleteFromCard(storeIndex, generation); });
    });
    return card;
}

void OrderPage::buildTableRows(const OrderNumbering &numbering)
{
    m_rowChecks.clear();
    const int first = ListPaging::firstIndex(m_currentPage, m_pageSize);
    const int count = ListPaging::rowsOnPage(m_currentPage, int(m_filtered.size()), m_pageSize);
    m_table->clearContents();
    m_table->setRowCount(count);
    m_tableEmptyLabel->setText(emptyListText());
    m_tableEmptyLabel->setVisible(count == 0);
    m_header->setChecked(false);
    auto textItem = [](const QString &text) {
        auto *item = new QTableWidgetItem(OrderDisplay::singleLine(text.left(500)));
        item->setTextAlignment(Qt::AlignCenter);
        return item;
    };
    auto userItem = [&textItem](const QString &text) {
        QTableWidgetItem *item = textItem(text);
        item->setToolTip(plainToolTip(text));
        return item;
    };
    const QString buttonStyle = QStringLiteral(
        "QPushButton { border: none; background: transparent; color: #ff746e; font-size: 13px; }"
        "QPushButton:hover { text-decoration: underline; }");
    for (int row = 0; row < count; ++row) {
        const int storeIndex = m_filtered.at(first + row);
        const Customer &order = m_allOrders.at(storeIndex);

        auto *checkCell = new QWidget;
        checkCell->setStyleSheet(QStringLiteral("background: transparent;"));
        auto *checkLayout = new QHBoxLayout(checkCell);
        checkLayout->setContentsMargins(0, 0, 0, 0);
        checkLayout->setAlignment(Qt::AlignCenter);
        auto *check = new RoundedCheckBox(checkCell);
        check->setCursor(Qt::PointingHandCursor);
        check->setObjectName(QStringLiteral("cb_%1").arg(order.id));
        check->setStyleSheet(QStringLiteral("background: transparent; color: #333333;"));
        checkLayout->addWidget(check);
        m_table->setCellWidget(row, 0, checkCell);
        m_rowChecks.append({check, storeIndex});

        m_table->setItem(row, 1, textItem(QString::number(first + row + 1)));
        m_table->setItem(row, 2, userItem(numbering.shownNumber(order)));
        m_table->setItem(row, 3, userItem(OrderDisplay::orDash(order.name)));
        m_table->setItem(
            row, 4,
            textItem(OrderDisplay::genderText(order.gender, OrderDisplay::ChineseGenderDefaults)));
        m_table->setItem(row, 5, textItem(OrderDisplay::ageText(order.age)));
        m_table->setItem(row, 6, userItem(OrderDisplay::orDash(order.phone)));
        m_table->setItem(row, 7, textItem(OrderDisplay::listCreatedAt(order.createdAt)));

        auto *actions = new QWidget;
        actions->setStyleSheet(QStringLiteral("background: transparent;"));
        auto *actionLayout = new QHBoxLayout(actions);
        actionLayout->setContentsMargins(4, 0, 4, 0);
        actionLayout->setSpacing(8);
        actionLayout->setAlignment(Qt::AlignCenter);
        auto *edit = new QPushButton(
            uiText(QStringLiteral("common.action.edit"), QStringLiteral("编辑")), actions);
        edit->setObjectName(QStringLiteral("rowEditButton"));
        auto *detail = new QPushButton(
            uiText(QStringLiteral("common.action.detail"), QStringLiteral("详情")), actions);
        detail->setObjectName(QStringLiteral("rowDetailButton"));
        for (QPushButton *button : {edit, detail}) {
            button->setCursor(Qt::PointingHandCursor);
            button->setStyleSheet(buttonStyle);
            actionLayout->addWidget(button);
        }
        const int id = order.id;
        connect(edit, &QPushButton::clicked, this, [this, id] { onEditClicked(id); });
        connect(detail, &QPushButton::clicked, this, [this, id] { onDetailClicked(id); });
        m_table->setCellWidget(row, 8, actions);
    }
    // The header measures only its own text; the buttons must fit whole too,
    // inside the items' side padding of the table's style.
    int actionsWidth = m_header->sectionSizeHint(8);
    if (count > 0)
        actionsWidth =
            std::max(actionsWidth, m_table->cellWidget(0, 8)->sizeHint().width() + 2 * 4);
    m_header->resizeSection(8, actionsWidth);
}

QString OrderPage::emptyListText() const
{
    // A blank list reads as broken; say whether nothing is stored or nothing matched.
    if (m_unreachable)
        return uiText(QStringLiteral("orders.unreachable"),
                      QStringLiteral("无法连接诊所服务器，正在重试…"));
    return m_allOrders.isEmpty()
               ? uiText(QStringLiteral("orders.empty"), QStringLiteral("暂无订单"))
               : uiText(QStringLiteral("orders.no_match"), QStringLiteral("没有匹配的订单"));
}

void OrderPage::updatePagination()
{
    m_totalPagesLabel->setText(
        uiText(QStringLiteral("pagination.total_pages"), QStringLiteral("共 %1 页"))
            .arg(totalPages()));
    m_currentPageLabel->setText(QString::number(m_currentPage));
    m_previousButton->setEnabled(m_currentPage > 1);
    m_nextButton->setEnabled(m_currentPage < totalPages());
}

void OrderPage::onPreviousClicked()
{
    if (m_currentPage <= 1)
        return;
    --m_currentPage;
    refreshView();
}

void OrderPage::onNextClicked()
{
    if (m_currentPage >= totalPages())
        return;
    ++m_currentPage;
    refreshView();
}

void OrderPage::onSequenceChanged(int index)
{
    const bool newestFirst = index != 1;
    if (newestFirst == m_filter.newestFirst)
        return;
    m_filter.newestFirst = newestFirst;
    m_currentPage = 1;
    refreshView();
}

void OrderPage::onQueryClicked()
{
    m_filter.orderNumber = m_orderNumberEdit->text().trimmed();
    m_filter.name = m_nameEdit->text().trimmed();
    m_filter.phone = m_phoneEdit->text().trimmed();
    m_currentPage = 1;
    refreshView();
}

void OrderPage::onResetClicked()
{
    m_filter.orderNumber.clear();
    m_filter.name.clear();
    m_filter.phone.clear();
    m_orderNumberEdit->clear();
    m_nameEdit->clear();
    m_phoneEdit->clear();
    m_startDateEdit->setText(startOfYearText());
    m_endDateEdit->setText(todayText());
    m_currentPage = 1;
    refreshView();
}

QList<int> OrderPage::selectedStoreIndices() const
{
    QList<int> indices;
    const QList<ShownCheck> &checks = m_viewMode == TableView ? m_rowChecks : m_cardChecks;
    for (const ShownCheck &shown : checks) {
        if (shown.box->isChecked() && shown.storeIndex < m_allOrders.size())
            indices.append(shown.storeIndex);
    }
    return indices;
}

QList<int> OrderPage::selectedOrderIds() const
{
    QList<int> ids;
    for (int index : selectedStoreIndices())
        ids.append(m_allOrders.at(index).id);
    return ids;
}

void OrderPage::onBatchDeleteClicked()
{
    const QList<int> indices = selectedStoreIndices();
    if (indices.isEmpty()) {
        showPromptMessage(this, uiText(QStringLiteral("orders.delete_select_required"),
                                       QStringLiteral("请至少勾选一条记录！")));
        return;
    }
    if (!showPromptConfirm(this,
                           uiText(QStringLiteral("orders.delete_selected_confirm"),
                                  QStringLiteral("确定删除选中订单？")),
                           PromptDefault::Cancel))
        return;
    removeOrders(indices);
    m_currentPage = 1;
    refreshView();
}

void OrderPage::onDeleteClicked(int customerId)
{
    for (int i = 0; i < m_allOrders.size(); ++i) {
        if (m_allOrders.at(i).id == customerId) {
            deleteFromCard(i, m_generation);
            return;
        }
    }
}

void OrderPage::deleteFromCard(int storeIndex, int generation)
{
    if (generation != m_generation || storeIndex < 0 || storeIndex >= m_allOrders.size())
        return;
    if (!showPromptConfirm(this,
                           uiText(QStringLiteral("orders.delete_single_confirm"),
                                  QStringLiteral("确定删除该订单？")),
                           PromptDefault::Cancel))
        return;
    // The list may have been reloaded while the question was open.
    if (generation != m_generation)
        return;
    removeOrders({storeIndex});
    refreshView();
}

void OrderPage::removeOrders(const QList<int> &storeIndices)
{
    // The store removes exactly the chosen records from what it holds now, so
    // that orders saved elsewhere since this page loaded are kept.
    QList<Customer> targets;
    targets.reserve(storeIndices.size());
    for (int index : storeIndices)
        targets.append(m_allOrders.at(index));
    RecordsBackend &store = RecordsBackend::current();
    const StoreResult removed = store.removeOrders(targets);
    if (!removed.ok() && removed.status != StoreResult::Status::NotFound)
        showPromptMessage(this, uiText(QStringLiteral("orders.delete_failed"),
                                       QStringLiteral("无法写入订单文件，订单未删除。")));
    loadOrders();
}

void OrderPage::onEditClicked(int customerId)
{
    emit editRequested(customerId);
}

void OrderPage::onDetailClicked(int customerId)
{
    emit detailRequested(customerId);
}

void OrderPage::onPageSizeChanged(int index)
{
    bool ok = false;
    const int size = m_pageSizeBox->itemText(index).toInt(&ok);
    if (!ok || size <= 0)
        return;
    m_pageSize = size;
    m_currentPage = 1;
    refreshView();
}

void OrderPage::onGoClicked()
{
    const int target =
        ListPaging::jumpTarget(m_pageNumberEdit->text(), int(m_filtered.size()), m_pageSize);
    if (target == 0)
        return;
    m_currentPage = target;
    m_pageNumberEdit->clear();
    refreshView();
}

void OrderPage::onCheckAllToggled(bool checked)
{
    for (const ShownCheck &shown : std::as_const(m_rowChecks))
        shown.box->setChecked(checked);
}

void OrderPage::onGridViewClicked()
{
    if (m_viewMode == CardView)
        return;
    m_viewMode = CardView;
    m_currentPage = 1;
    applyViewButtonLooks();
    refreshView();
}

void OrderPage::onListViewClicked()
{
    if (m_viewMode == TableView)
        return;
    m_viewMode = TableView;
    m_currentPage = 1;
    applyViewButtonLooks();
    refreshView();
}

void OrderPage::onSelectAllClicked()
{
    m_selectAllState = !m_selectAllState;
    if (m_viewMode == TableView) {
        m_header->setChecked(m_selectAllState);
        for (const ShownCheck &shown : std::as_const(m_rowChecks))
            shown.box->setChecked(m_selectAllState);
    } else {
        for (const ShownCheck &shown : std::as_const(m_cardChecks))
            shown.box->setChecked(m_selectAllState);
    }
}

void OrderPage::rebuildCardsIfWidthChanged()
{
    if (m_viewMode != CardView || m_viewStack->currentWidget() != m_cardArea)
        return;
    // Cards stretch with their columns; only a new column count needs new cards.
    if (OrderLayout::cardColumns(m_cardArea->viewport()->width()) == m_builtCardColumns)
        return;
    buildCards(OrderNumbering(m_allOrders));
}

void OrderPage::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    arrangeSearchRow();
    rebuildCardsIfWidthChanged();
}

void OrderPage::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    QTimer::singleShot(0, this, [this] {
        if (isVisible())
            rebuildCardsIfWidthChanged();
    });
}

void OrderPage::onExportCsvClicked()
{
    const QList<Customer> orders = filteredOrders();
    if (orders.isEmpty()) {
        showPromptMessage(this, uiText(QStringLiteral("orders.export_csv.empty"),
                                       QStringLiteral("没有可导出的订单。")));
        return;
    }
    const QString proposed = ExportFolder::last() + QStringLiteral("/orders_") +
                             QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd")) +
                             QStringLiteral(".csv");
    QString path = QFileDialog::getSaveFileName(
        this, uiText(QStringLiteral("orders.export_csv"), QStringLiteral("导出 CSV")), proposed,
        QStringLiteral("CSV (*.csv)"));
    if (path.isEmpty())
        return;
    if (!path.endsWith(QStringLiteral(".csv"), Qt::CaseInsensitive))
        path += QStringLiteral(".csv");
    ExportFolder::remember(path);
    if (!OrderCsv::write(path, orders)) {
        showPromptMessage(this, uiText(QStringLiteral("orders.export_csv.failed"),
                                       QStringLiteral("CSV 文件无法保存。请检查文件夹是否可写、磁盘"
                                                      "空间是否充足。")));
        return;
    }
    TransientNotice::showOver(
        this, uiText(QStringLiteral("orders.export_csv.done"), QStringLiteral("已导出 %1 个订单。"))
                  .arg(orders.size()));
}
