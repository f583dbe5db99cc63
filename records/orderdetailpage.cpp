#include "records/orderdetailpage.h"

#include "i18n/langmanager.h"
#include "records/customerhistory.h"
#include "records/earliervisitsbar.h"
#include "records/orderdisplay.h"
#include "records/orderlayout.h"
#include "records/photoviewer.h"
#include "records/reportphoto.h"
#include "records/store/photoentry.h"
#include "records/store/recordsbackend.h"
#include "records/visitcompare.h"
#include "ui/common/elidedlabel.h"
#include "ui/common/iconpixmap.h"
#include "ui/common/roundedcheckbox.h"

#include <QEvent>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTimer>
#include <QVBoxLayout>

namespace {

const QSize ThumbnailSize(OrderLayout::PhotoItemWidth, 124);
const QString ScrollBarStyle = QStringLiteral(
    "QScrollBar:vertical { width: 6px; background: transparent; margin: 0; }"
    "QScrollBar::handle:vertical { background: #d0d0d0; border-radius: 3px; min-height: 30px; }"
    "QScrollBar::add-line:vertical, QScrollBar::sub-line:vertical { height: 0; }"
    "QScrollBar::add-page:vertical, QScrollBar::sub-page:vertical { background: transparent; }");
constexpr int RecordSpacing = 12;
// Room between a value and the title of the next field.
constexpr int ValueGap = 16;
// Page width from which the basic information shows five fields a row.
constexpr int WideInfoWidth = 1280;

enum Field { Name, Birthday, Gender, Age, Phone, OrderNumber, Created, Address, Inspector, Notes };
constexpr int FieldCount = Notes + 1;

struct FieldTitle
{
    const char *key;
    const char *defaultText;
};
const FieldTitle FieldTitles[FieldCount] = {
    {textKey("customer.name"), "Name"},         {textKey("customer.birth_date"), "Birthday"},
    {textKey("common.gender"), "Gender"},       {textKey("customer.age"), "Age"},
    {textKey("customer.phone"), "Phone"},       {textKey("order.number"), "Order No."},
    {textKey("order.created_time"), "Created"}, {textKey("customer.address"), "Address"},
    {textKey("report.inspector"), "Inspector"}, {textKey("common.notes"), "Notes"},
};

// In the screen's own pixels, `ratio` per logical one, so it stays sharp there.
QPixmap roundedThumbnail(const QImage &image, qreal ratio)
{
    if (image.isNull())
        return {};
    QPixmap rounded(ThumbnailSize * ratio);
    rounded.setDevicePixelRatio(ratio);
    rounded.fill(Qt::transparent);
    QPainter painter(&rounded);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath clip;
    clip.addRoundedRect(QRectF(QPointF(0, 0), QSizeF(ThumbnailSize)), 10, 10);
    painter.setClipPath(clip);
    painter.drawImage(QRect(QPoint(0, 0), ThumbnailSize), image);
    return rounded;
}

QLabel *sectionIcon(const QString &path, QWidget *parent)
{
    auto *icon = new QLabel(parent);
    icon->setFixedSize(28, 28);
    setIconPixmap(icon, path, QSize(28, 28));
    return icon;
}

} // namespace

OrderDetailPage::OrderDetailPage(QWidget *parent) : QWidget(parent)
{
    buildUi();
    connect(LangManager::instance(), &LangManager::languageChanged, this,
            &OrderDetailPage::retranslate);
    retranslate();
    showOrder(m_order);
}

void OrderDetailPage::buildUi()
{
    setAttribute(Qt::WA_StyledBackground);
    setStyleSheet(QStringLiteral("OrderDetailPage { background: #f7f8fc; }"));
    auto *pageLayout = new QVBoxLayout(this);
    pageLayout->setContentsMargins(0, 0, 0, 0);

    auto *card = new QFrame(this);
    card->setObjectName(QStringLiteral("detailCard"));
    card->setStyleSheet(
        QStringLiteral("QFrame#detailCard { background: white; border-radius: 31px; }"));
    card->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    pageLayout->addWidget(card, 1);
    auto *cardLayout = new QVBoxLayout(card);
    cardLayout->setContentsMargins(47, 20, 47, 24);
    cardLayout->setSpacing(0);
    // Long values and small windows: the whole card scrolls rather than
    // squeezing the photos out of sight.
    auto *pageScroll = new QScrollArea(card);
    pageScroll->setObjectName(QStringLiteral("detailScrollArea"));
    pageScroll->setFrameShape(QFrame::NoFrame);
    pageScroll->setWidgetResizable(true);
    pageScroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    pageScroll->setStyleSheet(QStringLiteral("QScrollArea { background: transparent; }"));
    pageScroll->viewport()->setStyleSheet(QStringLiteral("background: transparent;"));
    pageScroll->verticalScrollBar()->setStyleSheet(ScrollBarStyle);
    cardLayout->addWidget(pageScroll, 1);
    auto *content = new QWidget;
    content->setObjectName(QStringLiteral("detailContent"));
    content->setStyleSheet(QStringLiteral("QWidget#detailContent { background: transparent; }"));
    pageScroll->setWidget(content);
    auto *layout = new QVBoxLayout(content);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    auto *titleRow = new QHBoxLayout;
    titleRow->setSpacing(12);
    m_backButton = new QPushButton(content);
    m_backButton->setObjectName(QStringLiteral("detailBackButton"));
    m_backButton->setFixedSize(34, 34);
    m_backButton->setIcon(QIcon(QStringLiteral(":/res/orderManage/order_detail_header_icon.png")));
    m_backButton->setIconSize(QSize(24, 24));
    m_backButton->setCursor(Qt::PointingHandCursor);
    m_backButton->setStyleSheet(
        QStringLiteral("QPushButton { background: transparent; border: none; }"));
    m_title = new QLabel(content);
    m_title->setStyleSheet(
        QStringLiteral("color: #585656; font-size: 16px; font-weight: bold; background: "
                       "transparent;"));
    titleRow->addWidget(m_backButton, 0, Qt::AlignLeft | Qt::AlignVCenter);
    titleRow->addWidget(m_title, 0, Qt::AlignLeft | Qt::AlignVCenter);
    titleRow->addStretch();
    layout->addLayout(titleRow);

    layout->addSpacing(14);
    auto *line = new QFrame(content);
    line->setFixedHeight(1);
    line->setStyleSheet(QStringLiteral("background: #ededed; border: none;"));
    layout->addWidget(line);
    layout->addSpacing(20);

    const QString sectionStyle = QStringLiteral(
        "color: #333333; font-size: 24px; font-weight: bold; background: transparent;");
    auto *basicRow = new QHBoxLayout;
    basicRow->setContentsMargins(6, 0, 0, 0);
    basicRow->setSpacing(12);
    basicRow->addWidget(
        sectionIcon(QStringLiteral(":/res/orderManage/basic_info_header_icon.png"), content));
    m_basicInfoTitle = new QLabel(content);
    m_basicInfoTitle->setStyleSheet(sectionStyle);
    basicRow->addWidget(m_basicInfoTitle);
    basicRow->addStretch();
    layout->addLayout(basicRow);
    layout->addSpacing(14);
    layout->addWidget(buildInfoBox());

    layout->addSpacing(24);
    auto *recordsRow = new QHBoxLayout;
    recordsRow->setContentsMargins(7, 0, 0, 0);
    recordsRow->setSpacing(12);
    recordsRow->addWidget(sectionIcon(
        QStringLiteral(":/res/orderManage/inspection_record_header_icon.png"), content));
    m_recordsTitle = new QLabel(content);
    m_recordsTitle->setStyleSheet(sectionStyle);
    recordsRow->addWidget(m_recordsTitle);
    recordsRow->addStretch();
    layout->addLayout(recordsRow);

    layout->addSpacing(16);
    auto *actionRow = new QHBoxLayout;
    actionRow->setContentsMargins(12, 0, 0, 0);
    actionRow->setSpacing(20);
    m_selectAll = new RoundedCheckBox(content);
    m_selectAll->setObjectName(QStringLiteral("detailSelectAll"));
    m_selectAll->setCursor(Qt::PointingHandCursor);
    m_selectAll->setStyleSheet(QStringLiteral("background: transparent; color: #333333;"));
    actionRow->addWidget(m_selectAll, 0, Qt::AlignVCenter);
    actionRow->addSpacing(58);
    m_printButton = new QPushButton(content);
    m_printButton->setObjectName(QStringLiteral("printReportButton"));
    m_printButton->setFixedSize(111, 40);
    m_printButton->setCursor(Qt::PointingHandCursor);
    m_printButton->setStyleSheet(QStringLiteral(
        "QPushButton { background: #585656; color: white; font-size: 14px; font-weight: bold; "
        "border: none; border-radius: 20px; }QPushButton:hover { background: #6a6868; }"));
    actionRow->addWidget(m_printButton, 0, Qt::AlignVCenter);
    m_notesButton = new QPushButton(content);
    m_notesButton->setObjectName(QStringLiteral("reportNotesButton"));
    m_notesButton->setFixedSize(40, 40);
    m_notesButton->setIcon(QIcon(QStringLiteral(":/res/beizhu.png")));
    m_notesButton->setIconSize(QSize(22, 22));
    m_notesButton->setCursor(Qt::PointingHandCursor);
    m_notesButton->setStyleSheet(
        QStringLiteral("QPushButton { background: transparent; border: none; }"));
    actionRow->addWidget(m_notesButton, 0, Qt::AlignVCenter);
    m_exportButton = new QPushButton(content);
    m_exportButton->setObjectName(QStringLiteral("exportOrderButton"));
    m_exportButton->setMinimumWidth(111);
    m_exportButton->setFixedHeight(40);
    m_exportButton->setCursor(Qt::PointingHandCursor);
    m_exportButton->setStyleSheet(QStringLiteral(
        "QPushButton { background: white; color: #585656; font-size: 14px; font-weight: bold; "
        "border: 1px solid #585656; border-radius: 20px; padding: 0 18px; }"
        "QPushButton:hover { background: #f5f5f5; }"));
    actionRow->addWidget(m_exportButton, 0, Qt::AlignVCenter);
    m_compareButton = new QPushButton(content);
    m_compareButton->setObjectName(QStringLiteral("compareButton"));
    m_compareButton->setMinimumWidth(111);
    m_compareButton->setFixedHeight(40);
    m_compareButton->setCursor(Qt::PointingHandCursor);
    m_compareButton->setStyleSheet(m_exportButton->styleSheet() +
                                   QStringLiteral("QPushButton:disabled { color: #aaaaaa; "
                                                  "border-color: #cccccc; }"));
    actionRow->addWidget(m_compareButton, 0, Qt::AlignVCenter);
    actionRow->addStretch();
    layout->addLayout(actionRow);
    m_earlierBar = new EarlierVisitsBar(content);
    layout->addSpacing(12);
    layout->addWidget(m_earlierBar);

    layout->addSpacing(20);
    m_scrollArea = new QScrollArea(content);
    m_scrollArea->setObjectName(QStringLiteral("recordScrollArea"));
    m_scrollArea->setFrameShape(QFrame::NoFrame);
    m_scrollArea->setWidgetResizable(true);
    m_scrollArea->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    // Items never reach past the viewport, so no horizontal bar is needed.
    m_scrollArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_scrollArea->verticalScrollBar()->setStyleSheet(ScrollBarStyle);
    m_scrollArea->setStyleSheet(QStringLiteral("QScrollArea { background: transparent; }"));
    m_scrollArea->viewport()->setStyleSheet(QStringLiteral("background: transparent;"));
    m_recordContainer = new QWidget;
    m_recordContainer->setObjectName(QStringLiteral("recordContainer"));
    m_recordContainer->setStyleSheet(
        QStringLiteral("QWidget#recordContainer { background: transparent; }"));
    m_recordGrid = new QGridLayout(m_recordContainer);
    m_recordGrid->setContentsMargins(12, 0, 0, 0);
    m_recordGrid->setHorizontalSpacing(RecordSpacing);
    m_recordGrid->setVerticalSpacing(RecordSpacing);
    m_recordGrid->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    m_scrollArea->setWidget(m_recordContainer);
    layout->addWidget(m_scrollArea, 1);

    connect(m_backButton, &QPushButton::clicked, this, &OrderDetailPage::backRequested);
    connect(m_printButton, &QPushButton::clicked, this, &OrderDetailPage::printRequested);
    connect(m_notesButton, &QPushButton::clicked, this, &OrderDetailPage::notesRequested);
    connect(m_exportButton, &QPushButton::clicked, this, &OrderDetailPage::exportRequested);
    // Modal, so opened from the event loop rather than inside the click.
    connect(m_compareButton, &QPushButton::clicked, this,
            [this] { QTimer::singleShot(0, this, [this] { openCompare(); }); });
    connect(m_earlierBar, &EarlierVisitsBar::compareRequested, this, [this](int visit) {
        QTimer::singleShot(0, this, [this, visit] { openCompare(visit); });
    });
    connect(m_selectAll, &QCheckBox::toggled, this, &OrderDetailPage::onSelectAllToggled);
}

QWidget *OrderDetailPage::buildInfoBox()
{
    auto *box = new QFrame;
    box->setObjectName(QStringLiteral("infoBox"));
    box->setStyleSheet(
        QStringLiteral("QFrame#infoBox { background: #f5f5f5; border-radius: 13px; }"));
    auto *grid = new QGridLayout(box);
    grid->setContentsMargins(30, 24, 30, 24);
    grid->setVerticalSpacing(32);
    grid->setHorizontalSpacing(0);
    for (int field = 0; field < FieldCount; ++field) {
        auto *title = new QLabel(box);
        title->setStyleSheet(QStringLiteral("color: #333333; font-size: 14px; font-weight: bold; "
                                            "padding-right: 18px; background: transparent;"));
        // Every value is shown whole: it wraps in its column and can be
        // selected and copied.
        auto *value = new QLabel(box);
        value->setObjectName(QStringLiteral("detailValue%1").arg(field));
        value->setTextFormat(Qt::PlainText);
        value->setWordWrap(true);
        value->setTextInteractionFlags(Qt::TextSelectableByMouse);
        value->setCursor(Qt::IBeamCursor);
        value->setContentsMargins(0, 0, ValueGap, 0);
        // Columns share the width by their stretch, not by how a wrapped text
        // happens to guess its width.
        value->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
        value->installEventFilter(this);
        value->setStyleSheet(
            QStringLiteral("color: #333333; font-size: 14px; background: transparent;"));
        m_fieldTitles.append(title);
        m_fieldValues.append(value);
        value->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    }
    m_infoGrid = grid;
    arrangeInfoGrid(5);
    return box;
}

void OrderDetailPage::arrangeInfoGrid(int pairsPerRow)
{
    if (pairsPerRow == m_infoPairsPerRow)
        return;
    m_infoPairsPerRow = pairsPerRow;
    while (QLayoutItem *item = m_infoGrid->takeAt(0))
        delete item;
    for (int column = 0; column < 2 * 5; ++column)
        m_infoGrid->setColumnStretch(column, 0);
    // Titles stay level with the first line of a value that wraps.
    const Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignTop;
    // The short values share rows; address and notes, which can be long,
    // get a row of their own across the whole box.
    int slot = 0;
    for (int field = 0; field < FieldCount; ++field) {
        if (field == Address || field == Notes)
            continue;
        const int row = slot / pairsPerRow;
        const int column = 2 * (slot % pairsPerRow);
        m_infoGrid->addWidget(m_fieldTitles.at(field), row, column, alignment);
        m_infoGrid->addWidget(m_fieldValues.at(field), row, column + 1);
        ++slot;
    }
    const int firstWideRow = (slot + pairsPerRow - 1) / pairsPerRow;
    for (int field : {Address, Notes}) {
        const int row = firstWideRow + (field == Notes ? 1 : 0);
        m_infoGrid->addWidget(m_fieldTitles.at(field), row, 0, alignment);
        m_infoGrid->addWidget(m_fieldValues.at(field), row, 1, 1, 2 * pairsPerRow - 1);
    }
    // Three fields a row take more rows; closer rows leave the photos room
    // on a small window.
    m_infoGrid->setVerticalSpacing(pairsPerRow == 5 ? 32 : 18);
    if (pairsPerRow == 5) {
        m_infoGrid->setColumnStretch(1, 3);
        m_infoGrid->setColumnStretch(3, 3);
        m_infoGrid->setColumnStretch(5, 4);
        m_infoGrid->setColumnStretch(7, 2);
        m_infoGrid->setColumnStretch(9, 3);
    } else {
        for (int pair = 0; pair < pairsPerRow; ++pair)
            m_infoGrid->setColumnStretch(2 * pair + 1, 1);
    }
}

void OrderDetailPage::retranslate()
{
    m_backButton->setToolTip(uiText(QStringLiteral("common.back"), QStringLiteral("Back")));
    m_title->setText(uiText(QStringLiteral("order_detail.title"), QStringLiteral("Order Details")));
    m_basicInfoTitle->setText(
        uiText(QStringLiteral("order_detail.basic_info"), QStringLiteral("Basic Info")));
    m_recordsTitle->setText(
        uiText(QStringLiteral("order_detail.records_title"), QStringLiteral("Inspection Records")));
    m_selectAll->setText(uiText(QStringLiteral("common.select_all"), QStringLiteral("Select All")));
    m_printButton->setText(
        uiText(QStringLiteral("order_detail.print.title"), QStringLiteral("Print Report")));
    m_notesButton->setToolTip(uiText(QStringLiteral("order_detail.report_notes.tooltip"),
                                     QStringLiteral("Set report notes")));
    m_exportButton->setText(
        uiText(QStringLiteral("order_detail.export"), QStringLiteral("Export order")));
    m_compareButton->setText(uiText(QStringLiteral("compare.button"), QStringLiteral("Compare")));
    for (int field = 0; field < FieldCount; ++field)
        m_fieldTitles.at(field)->setText(uiText(QLatin1String(FieldTitles[field].key),
                                                QLatin1String(FieldTitles[field].defaultText)));
    rebuildRecords();
}

void OrderDetailPage::setOrderNotes(const QString &notes)
{
    m_order.notes = notes;
    const QString shown = OrderDisplay::orDash(notes);
    m_fieldValues.at(Notes)->setText(OrderDisplay::wrappable(shown, int(shown.size())));
}

void OrderDetailPage::showOrder(const Customer &customer)
{
    m_order = customer;
    const QString values[FieldCount] = {
        customer.name,
        customer.birthDate,
        OrderDisplay::genderText(customer.gender, OrderDisplay::EnglishGenderDefaults),
        customer.age < 0 ? QString() : QString::number(customer.age),
        customer.phone,
        customer.orderNumber,
        OrderDisplay::detailCreatedAt(customer.createdAt),
        customer.address,
        customer.fitterName,
        customer.notes,
    };
    for (int field = 0; field < FieldCount; ++field) {
        const QString value = OrderDisplay::orDash(values[field]);
        // Notes keep their line breaks; the other values are one line that wraps.
        const QString shown = field == Notes ? value : OrderDisplay::singleLine(value);
        m_fieldValues.at(field)->setText(OrderDisplay::wrappable(shown, int(shown.size())));
    }
    // The fixed-format values never break inside.
    for (int field : {Gender, Age, Created}) {
        QLabel *value = m_fieldValues.at(field);
        value->setMinimumWidth(value->fontMetrics().horizontalAdvance(value->text()) + ValueGap +
                               2);
    }

    m_thumbnails.clear();
    m_thumbnails.reserve(customer.photos.size());
    const qreal ratio = devicePixelRatioF();
    for (const StoredPhoto &entry : customer.photos)
        m_thumbnails.append(
            roundedThumbnail(PhotoEntry::thumbnailOf(entry, ThumbnailSize * ratio), ratio));

    m_earlierVisits =
        CustomerHistory::earlierOrders(customer, RecordsBackend::current().listOrders());
    m_earlierBar->setVisits(m_earlierVisits);
    int photoCount = int(customer.photos.size());
    for (const Customer &visit : std::as_const(m_earlierVisits))
        photoCount += int(visit.photos.size());
    m_compareButton->setEnabled(photoCount >= 2);

    rebuildRecords();
    // Once the page is laid out at its real size the grid is built again.
    if (!m_order.photos.isEmpty())
        QMetaObject::invokeMethod(this, &OrderDetailPage::rebuildRecords, Qt::QueuedConnection);
}

void OrderDetailPage::rebuildRecords()
{
    m_photoChecks.clear();
    while (QLayoutItem *item = m_recordGrid->takeAt(0)) {
        if (QWidget *widget = item->widget()) {
            widget->hide();
            widget->deleteLater();
        }
        delete item;
    }

    if (m_order.photos.isEmpty()) {
        m_recordColumns = 0;
        const QSignalBlocker blocker(m_selectAll);
        m_selectAll->setChecked(false);
        auto *empty = new QLabel(m_recordContainer);
        empty->setObjectName(QStringLiteral("recordsEmptyLabel"));
        empty->setText(uiText(QStringLiteral("order_detail.records.empty"),
                              QStringLiteral("No inspection records for this order")));
        empty->setStyleSheet(
            QStringLiteral("color: #999999; font-size: 14px; background: transparent;"));
        empty->setAlignment(Qt::AlignTop | Qt::AlignLeft);
        m_recordGrid->addWidget(empty, 0, 0, 1, 6);
        m_scrollArea->setMinimumHeight(0);
        return;
    }

    const QMargins margins = m_recordGrid->contentsMargins();
    int available = 5 * RecordSpacing + 1320;
    if (QWidget *viewport = m_scrollArea->viewport()) {
        available = std::max(OrderLayout::PhotoItemWidth,
                             viewport->width() - margins.left() - margins.right());
        m_recordContainer->setMinimumWidth(viewport->width());
    }
    m_recordColumns = OrderLayout::photoColumns(available, RecordSpacing);
    for (int i = 0; i < m_order.photos.size(); ++i)
        m_recordGrid->addWidget(buildRecordItem(i), i / m_recordColumns, i % m_recordColumns,
                                Qt::AlignTop | Qt::AlignLeft);
    {
        const QSignalBlocker blocker(m_selectAll);
        m_selectAll->setChecked(true);
    }
    // However little room the window leaves, one whole row of photos stays
    // visible; the page scrolls for the rest.
    m_scrollArea->setMinimumHeight(m_recordGrid->itemAt(0)->widget()->sizeHint().height());
    m_scrollArea->setMaximumHeight(QWIDGETSIZE_MAX);
}

QWidget *OrderDetailPage::buildRecordItem(int photoIndex)
{
    auto *item = new QFrame(m_recordContainer);
    item->setObjectName(QStringLiteral("recordItem"));
    item->setFixedWidth(OrderLayout::PhotoItemWidth);
    item->setStyleSheet(QStringLiteral("QFrame#recordItem { background: transparent; }"));
    auto *layout = new QVBoxLayout(item);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(6);

    auto *thumbFrame = new QFrame(item);
    thumbFrame->setObjectName(QStringLiteral("thumbnailFrame"));
    thumbFrame->setFixedSize(ThumbnailSize);
    thumbFrame->setStyleSheet(
        QStringLiteral("QFrame#thumbnailFrame { background: #ececec; border-radius: 10px; }"));
    auto *cover = new QPushButton(thumbFrame);
    cover->setGeometry(QRect(QPoint(0, 0), ThumbnailSize));
    cover->setCursor(Qt::ArrowCursor);
    cover->setStyleSheet(QStringLiteral("QPushButton { background: transparent; border: none; }"));
    auto *picture = new QLabel(cover);
    picture->setObjectName(QStringLiteral("thumbnailPicture"));
    picture->setGeometry(QRect(QPoint(0, 0), ThumbnailSize));
    picture->setAlignment(Qt::AlignCenter);
    picture->setStyleSheet(QStringLiteral("background: transparent;"));
    const QPixmap &thumbnail = m_thumbnails.at(photoIndex);
    if (!thumbnail.isNull())
        picture->setPixmap(thumbnail);
    auto *check = new RoundedCheckBox(thumbFrame);
    check->setObjectName(QStringLiteral("photoCheck%1").arg(photoIndex));
    check->setCursor(Qt::PointingHandCursor);
    check->setStyleSheet(QStringLiteral("background: transparent;"));
    check->setFixedSize(check->sizeHint());
    check->move(4, 4);
    check->setChecked(true);
    connect(check, &QCheckBox::toggled, this, &OrderDetailPage::onPhotoCheckToggled);
    m_photoChecks.append(check);
    layout->addWidget(thumbFrame, 0, Qt::AlignLeft);

    auto *row = new QHBoxLayout;
    row->setSpacing(8);
    QString name = PhotoEntry::nameOf(m_order.photos.at(photoIndex));
    if (name.isEmpty())
        name = uiText(QStringLiteral("order_detail.photo.default_name"),
                      QStringLiteral("Inspection Photo"));
    // The ear comes first, so a long name is cut rather than the ear.
    const QString ear = photoEarText(photoEarOf(name));
    if (!ear.isEmpty())
        name = ear + QStringLiteral(" · ") + name;
    auto *nameLabel = new ElidedLabel(OrderDisplay::singleLine(name.left(300)), item);
    nameLabel->setObjectName(QStringLiteral("photoNameLabel"));
    // Tooltips take markup when the text looks like it; a file name never does.
    nameLabel->setToolTip(
        QStringLiteral("<p style='white-space:pre-wrap'>%1</p>").arg(name.toHtmlEscaped()));
    nameLabel->setFixedWidth(165);
    nameLabel->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    nameLabel->setStyleSheet(
        QStringLiteral("color: #999999; font-size: 12px; background: transparent;"));
    row->addWidget(nameLabel, 1, Qt::AlignLeft | Qt::AlignVCenter);
    auto *view = new QPushButton(
        uiText(QStringLiteral("order_detail.photo.view"), QStringLiteral("View>")), item);
    view->setObjectName(QStringLiteral("photoViewButton"));
    view->setFlat(true);
    view->setCursor(Qt::PointingHandCursor);
    view->setFixedWidth(47);
    view->setStyleSheet(
        QStringLiteral("QPushButton { color: #585656; font-size: %1px; background: transparent; "
                       "border: none; }QPushButton:hover { color: #ec5c0b; }")
            .arg(OrderLayout::photoViewButtonFontSize(LangManager::instance()->currentLanguage())));
    row->addWidget(view, 0, Qt::AlignRight | Qt::AlignVCenter);
    layout->addLayout(row);

    // The viewer runs modally; it opens from the event loop rather than inside
    // the click of a button that a rebuild may take away meanwhile.
    connect(view, &QPushButton::clicked, this, [this, photoIndex] {
        QTimer::singleShot(0, this, [this, photoIndex] { showPhotoFullScreen(photoIndex); });
    });
    return item;
}

void OrderDetailPage::openCompare(int visit)
{
    const QPair<int, int> pair = VisitCompare::defaultPair(m_order, m_earlierVisits, visit);
    PhotoCompareView::showModal(VisitCompare::choices(m_order, m_earlierVisits), pair.first,
                                pair.second, this);
}

void OrderDetailPage::showPhotoFullScreen(int photoIndex)
{
    if (photoIndex < 0 || photoIndex >= m_order.photos.size())
        return;
    PhotoViewer::showModal(PhotoEntry::imageOf(m_order.photos.at(photoIndex)), this);
}

QList<int> OrderDetailPage::selectedPhotoIndices() const
{
    QList<int> indices;
    for (int i = 0; i < m_photoChecks.size(); ++i) {
        if (m_photoChecks.at(i)->isChecked())
            indices.append(i);
    }
    return indices;
}

void OrderDetailPage::onSelectAllToggled(bool checked)
{
    for (RoundedCheckBox *check : std::as_const(m_photoChecks))
        check->setChecked(checked);
}

void OrderDetailPage::onPhotoCheckToggled()
{
    bool all = !m_photoChecks.isEmpty();
    for (const RoundedCheckBox *check : std::as_const(m_photoChecks))
        all = all && check->isChecked();
    const QSignalBlocker blocker(m_selectAll);
    m_selectAll->setChecked(all);
}

bool OrderDetailPage::eventFilter(QObject *watched, QEvent *event)
{
    // A wrapped label in a grid gets the height of one line unless told how
    // tall its text is at the width it was given.
    if (event->type() == QEvent::Resize) {
        if (auto *label = qobject_cast<QLabel *>(watched)) {
            const int height = label->heightForWidth(label->width());
            if (height > 0 && label->minimumHeight() != height)
                label->setMinimumHeight(height);
        }
    }
    return QWidget::eventFilter(watched, event);
}

void OrderDetailPage::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    // Five fields a row need a wide page; narrower pages take three.
    arrangeInfoGrid(width() >= WideInfoWidth ? 5 : 3);
    if (!m_order.photos.isEmpty())
        rebuildRecords();
}
