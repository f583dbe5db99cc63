#include "records/savereportpage.h"

#include "i18n/langmanager.h"
#include "records/inspectordialog.h"
#include "records/orderform.h"
#include "records/store/recordstore.h"
#include "ui/common/combopopup.h"
#include "ui/common/iconpixmap.h"
#include "ui/common/promptdialog.h"

#include <QComboBox>
#include <QDateTime>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTextEdit>
#include <QVBoxLayout>

#include <algorithm>

namespace {

constexpr int NameMaxLength = 50;
constexpr int AddressMaxLength = 200;
constexpr int DefaultMaxLength = 32767; // QLineEdit's own limit

const char *const FieldStyle =
    "QLineEdit, QComboBox { border: 1px solid #585656; border-radius: 25px; padding: 0 20px;"
    " background: white; color: #333333; font-size: 14px; }"
    "QLineEdit:focus, QComboBox:focus { border: 1px solid #ec5c0b; }"
    "QComboBox::drop-down { border: none; width: 40px; }"
    "QComboBox::down-arrow { image: url(:/res/combo_arrow.png); width: 12px; height: 8px; }"
    "QTextEdit { border: 1px solid #585656; border-radius: 25px; padding: 14px 20px 0 20px;"
    " background: white; color: #333333; font-size: 14px; }"
    "QTextEdit:focus { border: 1px solid #ec5c0b; }";

const char *const SaveStyle =
    "QPushButton { background: white; border: 1px solid #585656; border-radius: 25px;"
    " color: %1; font-size: 15px; padding: 0 24px; }"
    "QPushButton:hover { border-color: #ec5c0b; color: #ec5c0b; }";

const struct
{
    const char *key;
    const char *defaultText;
    const char *stored;
} GenderEntries[] = {
    {textKey("common.gender.select"), "Select gender", ""},
    {textKey("common.gender.male"), "Male", "男"},
    {textKey("common.gender.female"), "Female", "女"},
    {textKey("common.gender.private"), "Private", "保密"},
};

QFrame *separatorLine(QWidget *parent)
{
    auto *line = new QFrame(parent);
    line->setFixedHeight(1);
    line->setStyleSheet(QStringLiteral("background: #ededed; border: none;"));
    return line;
}

QWidget *sectionHeading(QWidget *parent, const QString &icon, QLabel **text)
{
    auto *row = new QWidget(parent);
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(10);
    auto *iconLabel = new QLabel(row);
    setIconPixmap(iconLabel, icon, QSize(26, 26));
    *text = new QLabel(row);
    (*text)->setStyleSheet(
        QStringLiteral("color: #333333; font-size: 24px; font-weight: bold; background: none;"));
    layout->addWidget(iconLabel);
    layout->addWidget(*text);
    layout->addStretch();
    return row;
}

// A stored text longer than the edit's typing limit must come back whole, or
// saving an unrelated change would cut it.
void setWholeText(QLineEdit *edit, const QString &text, int typingLimit)
{
    edit->setMaxLength(std::max<int>(typingLimit, text.size()));
    edit->setText(text);
}

QString requiredCaption(const QString &text)
{
    return QStringLiteral("<span style='color:#333333'>%1</span>"
                          "<span style='color:#fe5d5d'>*</span>")
        .arg(text.toHtmlEscaped());
}

} // namespace

SaveReportPage::SaveReportPage(QWidget *parent) : QWidget(parent)
{
    buildUi();
    connect(LangManager::instance(), &LangManager::languageChanged, this,
            &SaveReportPage::retranslate);
    retranslate();
    reset(FromInspection);
}

QLabel *SaveReportPage::addLabel(QWidget *parent, const char *objectName)
{
    auto *label = new QLabel(parent);
    label->setObjectName(QLatin1String(objectName));
    label->setStyleSheet(
        QStringLiteral("color: #333333; font-size: 14px; font-weight: bold; background: none;"));
    return label;
}

void SaveReportPage::buildUi()
{
    setAttribute(Qt::WA_StyledBackground);
    setStyleSheet(QStringLiteral("SaveReportPage { background: #f7f8fc; }"));
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);

    auto *scroll = new QScrollArea(this);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setStyleSheet(QStringLiteral(
        "QScrollArea { background: transparent; border: none; }"
        "QScrollBar:vertical { width: 6px; background: transparent; margin: 0; }"
        "QScrollBar::handle:vertical { background: #d0d0d0; border-radius: 3px; min-height: 30px; }"
        "QScrollBar::add-line:vertical, QScrollBar::sub-line:vertical { height: 0; }"
        "QScrollBar::add-page:vertical, QScrollBar::sub-page:vertical { background: none; }"));
    scroll->viewport()->setAutoFillBackground(false);
    outer->addWidget(scroll);

    m_card = new QFrame;
    m_card->setObjectName(QStringLiteral("saveReportCard"));
    m_card->setStyleSheet(
        QStringLiteral("QFrame#saveReportCard { background: white; border-radius: 31px; }") +
        QLatin1String(FieldStyle));
    scroll->setWidget(m_card);

    auto *layout = new QVBoxLayout(m_card);
    layout->setContentsMargins(40, 28, 40, 36);
    layout->setSpacing(0);

    auto *header = new QHBoxLayout;
    header->setSpacing(8);
    m_backButton = new QPushButton(m_card);
    m_backButton->setObjectName(QStringLiteral("saveReportBackButton"));
    m_backButton->setFlat(true);
    m_backButton->setFixedSize(32, 32);
    m_backButton->setCursor(Qt::PointingHandCursor);
    m_backButton->setIcon(QIcon(QStringLiteral(":/res/settings_back.png")));
    m_backButton->setIconSize(QSize(24, 24));
    m_backButton->setStyleSheet(
        QStringLiteral("QPushButton { background: transparent; border: none; }"));
    m_titleLabel = new QLabel(m_card);
    m_titleLabel->setStyleSheet(
        QStringLiteral("color: #585656; font-size: 16px; background: none;"));
    header->addWidget(m_backButton);
    header->addWidget(m_titleLabel);
    header->addStretch();
    layout->addLayout(header);
    layout->addSpacing(18);
    layout->addWidget(separatorLine(m_card));
    layout->addSpacing(28);

    layout->addWidget(
        sectionHeading(m_card, QStringLiteral(":/res/customer_info_icon.png"), &m_step1Label));
    layout->addSpacing(28);

    auto makeEdit = [this](const char *name) {
        auto *edit = new QLineEdit(m_card);
        edit->setObjectName(QLatin1String(name));
        edit->setFixedHeight(51);
        return edit;
    };

    // Row: order number and creation time.
    auto *orderRow = new QHBoxLayout;
    orderRow->setSpacing(16);
    m_orderNumberLabel = addLabel(m_card, "orderNumberLabel");
    m_orderNumberEdit = makeEdit("orderNumberEdit");
    m_createdLabel = addLabel(m_card, "createdLabel");
    m_createdValue = new QLabel(m_card);
    m_createdValue->setObjectName(QStringLiteral("createdValue"));
    m_createdValue->setTextFormat(Qt::PlainText);
    m_createdValue->setStyleSheet(
        QStringLiteral("color: #999999; font-size: 14px; background: none;"));
    orderRow->addWidget(m_orderNumberLabel);
    orderRow->addWidget(m_orderNumberEdit);
    orderRow->addSpacing(24);
    orderRow->addWidget(m_createdLabel);
    orderRow->addWidget(m_createdValue);
    orderRow->addStretch();
    layout->addLayout(orderRow);
    layout->addSpacing(24);

    // Row: name.
    auto *nameRow = new QHBoxLayout;
    nameRow->setSpacing(16);
    m_nameLabel = addLabel(m_card, "nameLabel");
    m_nameEdit = makeEdit("nameEdit");
    m_nameEdit->setMaxLength(NameMaxLength);
    m_nameEdit->setMinimumWidth(420);
    nameRow->addWidget(m_nameLabel);
    nameRow->addWidget(m_nameEdit, 1);
    layout->addLayout(nameRow);
    layout->addSpacing(24);

    // Row: gender, phone, birthday, age; two rows on narrow pages.
    m_personGrid = new QGridLayout;
    m_personGrid->setHorizontalSpacing(16);
    m_personGrid->setVerticalSpacing(24);
    m_genderLabel = addLabel(m_card, "genderLabel");
    m_genderBox = new QComboBox(m_card);
    m_genderBox->setObjectName(QStringLiteral("genderBox"));
    m_genderBox->setFixedSize(226, 51);
    styleComboPopup(m_genderBox);
    m_phoneLabel = addLabel(m_card, "phoneLabel");
    m_phoneEdit = makeEdit("phoneEdit");
    m_birthLabel = addLabel(m_card, "birthDateLabel");
    m_birthEdit = makeEdit("birthDateEdit");
    m_ageLabel = addLabel(m_card, "ageLabel");
    m_ageEdit = makeEdit("ageEdit");
    layout->addLayout(m_personGrid);
    layout->addSpacing(24);

    // Row: address.
    auto *addressRow = new QHBoxLayout;
    addressRow->setSpacing(16);
    m_addressLabel = addLabel(m_card, "addressLabel");
    m_addressEdit = makeEdit("addressEdit");
    m_addressEdit->setMaxLength(AddressMaxLength);
    addressRow->addWidget(m_addressLabel);
    addressRow->addWidget(m_addressEdit, 1);
    layout->addLayout(addressRow);
    layout->addSpacing(24);

    // Row: notes, one line high.
    auto *notesRow = new QHBoxLayout;
    notesRow->setSpacing(16);
    m_notesLabel = addLabel(m_card, "notesLabel");
    m_notesEdit = new QTextEdit(m_card);
    m_notesEdit->setObjectName(QStringLiteral("notesEdit"));
    m_notesEdit->setAcceptRichText(false);
    m_notesEdit->setFixedHeight(51);
    m_notesEdit->document()->setDocumentMargin(0);
    m_notesEdit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_notesEdit->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    notesRow->addWidget(m_notesLabel);
    notesRow->addWidget(m_notesEdit, 1);
    layout->addLayout(notesRow);

    layout->addSpacing(32);
    layout->addWidget(separatorLine(m_card));
    layout->addSpacing(28);
    layout->addWidget(
        sectionHeading(m_card, QStringLiteral(":/res/examiner_icon.png"), &m_step2Label));
    layout->addSpacing(24);

    m_inspectorRow = new QWidget(m_card);
    m_inspectorRow->setObjectName(QStringLiteral("inspectorRow"));
    auto *inspectorLayout = new QVBoxLayout(m_inspectorRow);
    inspectorLayout->setContentsMargins(0, 0, 0, 0);
    inspectorLayout->setSpacing(12);
    auto *inspectorHeader = new QHBoxLayout;
    m_inspectorLabel = addLabel(m_inspectorRow, "inspectorLabel");
    m_newInspectorButton = new QPushButton(m_inspectorRow);
    m_newInspectorButton->setObjectName(QStringLiteral("newInspectorButton"));
    m_newInspectorButton->setCursor(Qt::PointingHandCursor);
    m_newInspectorButton->setStyleSheet(
        QStringLiteral("QPushButton { background: transparent; border: none; color: #ec5c0b;"
                       " font-size: 14px; padding: 0; }"
                       "QPushButton:hover { color: #ff7a2b; }"));
    inspectorHeader->addWidget(m_inspectorLabel);
    inspectorHeader->addStretch();
    inspectorHeader->addWidget(m_newInspectorButton);
    inspectorLayout->addLayout(inspectorHeader);
    m_inspectorBox = new QComboBox(m_inspectorRow);
    m_inspectorBox->setObjectName(QStringLiteral("inspectorBox"));
    m_inspectorBox->setFixedSize(374, 51);
    styleComboPopup(m_inspectorBox);
    inspectorLayout->addWidget(m_inspectorBox);
    m_inspectorRow->setFixedWidth(374);
    layout->addWidget(m_inspectorRow, 0, Qt::AlignLeft);

    layout->addSpacing(40);
    auto *buttons = new QHBoxLayout;
    buttons->setSpacing(18);
    m_saveButton = new QPushButton(m_card);
    m_saveButton->setObjectName(QStringLiteral("saveButton"));
    m_saveButton->setMinimumWidth(152);
    m_saveButton->setFixedHeight(50);
    m_saveButton->setCursor(Qt::PointingHandCursor);
    m_nextButton = new QPushButton(m_card);
    m_nextButton->setObjectName(QStringLiteral("nextButton"));
    m_nextButton->setMinimumWidth(180);
    m_nextButton->setFixedHeight(50);
    m_nextButton->setCursor(Qt::PointingHandCursor);
    m_nextButton->setStyleSheet(
        QStringLiteral("QPushButton { background: #585656; border: none; border-radius: 25px;"
                       " color: white; font-size: 15px; padding: 0 24px; }"
                       "QPushButton:hover { background: #6a6868; }"));
    buttons->addWidget(m_saveButton);
    buttons->addWidget(m_nextButton);
    buttons->addStretch();
    layout->addLayout(buttons);
    layout->addStretch();

    connect(m_backButton, &QPushButton::clicked, this, &SaveReportPage::onBackClicked);
    connect(m_newInspectorButton, &QPushButton::clicked, this,
            &SaveReportPage::onNewInspectorClicked);
    connect(m_saveButton, &QPushButton::clicked, this, &SaveReportPage::onSaveClicked);
    connect(m_nextButton, &QPushButton::clicked, this, &SaveReportPage::onNextStepClicked);
    connect(m_inspectorBox, &QComboBox::currentIndexChanged, this,
            &SaveReportPage::onInspectorIndexChanged);
}

void SaveReportPage::reset(int mode)
{
    m_mode = mode;
    reloadFitters();
    m_editingCustomer = Customer();
    setWholeText(m_orderNumberEdit, QString(), DefaultMaxLength);
    setWholeText(m_nameEdit, QString(), NameMaxLength);
    setWholeText(m_birthEdit, QString(), DefaultMaxLength);
    setWholeText(m_phoneEdit, QString(), DefaultMaxLength);
    setWholeText(m_addressEdit, QString(), AddressMaxLength);
    m_ageEdit->clear();
    m_notesEdit->clear();
    m_genderBox->setCurrentIndex(0);
    m_createdValue->setText(
        QDateTime::currentDateTime().toString(QStringLiteral("yyyy.MM.dd HH:mm:ss")));
    refillInspectorBox();
    applyMode();
}

void SaveReportPage::loadCustomer(const Customer &order)
{
    m_editingCustomer = order;
    m_mode = EditOrder;
    reloadFitters();
    setWholeText(m_orderNumberEdit, order.orderNumber, DefaultMaxLength);
    setWholeText(m_nameEdit, order.name, NameMaxLength);
    setWholeText(m_birthEdit, order.birthDate, DefaultMaxLength);
    setWholeText(m_phoneEdit, order.phone, DefaultMaxLength);
    setWholeText(m_addressEdit, order.address, AddressMaxLength);
    m_notesEdit->setPlainText(order.notes);
    m_ageEdit->setText(order.age >= 0 ? QString::number(order.age) : QString());
    const QString created = OrderForm::createdAtForDisplay(order.createdAt);
    m_createdValue->setText(created.isEmpty() ? QStringLiteral("-") : created);
    int genderIndex = 0;
    for (int i = 1; i < m_genderBox->count(); ++i) {
        if (m_genderBox->itemData(i).toString() == order.gender) {
            genderIndex = i;
            break;
        }
    }
    m_genderBox->setCurrentIndex(genderIndex);
    m_selectedFitterId = order.fitterId;
    refillInspectorBox();
    applyMode();
}

void SaveReportPage::setPhotos(const QList<ReportPhoto> &photos)
{
    m_photos = photos;
}

void SaveReportPage::reloadFitters()
{
    m_fitters = loadFitters();
    if (!findFitter(m_selectedFitterId))
        m_selectedFitterId = -1;
}

const Fitter *SaveReportPage::findFitter(int id) const
{
    if (id < 0)
        return nullptr;
    const auto it = std::find_if(m_fitters.cbegin(), m_fitters.cend(),
                                 [id](const Fitter &f) { return f.id == id; });
    return it == m_fitters.cend() ? nullptr : &*it;
}

void SaveReportPage::refillInspectorBox()
{
    const QSignalBlocker blocker(m_inspectorBox);
    m_inspectorBox->clear();
    for (const Fitter &fitter : std::as_const(m_fitters))
        m_inspectorBox->addItem(fitter.name, fitter.id);
    // An edited order whose inspector has since been deleted keeps showing
    // the inspector it was saved with, so that saving does not quietly give
    // it another one.
    const Customer &edited = m_editingCustomer;
    if (m_mode == EditOrder && edited.fitterId >= 0 && !findFitter(edited.fitterId)) {
        const QString shown = edited.fitterName.isEmpty() ? QStringLiteral("-") : edited.fitterName;
        m_inspectorBox->insertItem(0, shown, edited.fitterId);
    }
    if (m_inspectorBox->count() == 0) {
        m_inspectorBox->addItem(
            uiText(QStringLiteral("inspector.select"), QStringLiteral("Select inspector")));
    }
    const int wanted = m_selectedFitterId >= 0 ? m_inspectorBox->findData(m_selectedFitterId) : -1;
    m_inspectorBox->setCurrentIndex(std::max(wanted, 0));
    // The inspector the box shows is the one the order gets: a user who sees
    // a name there expects Save to use it.
    onInspectorIndexChanged(m_inspectorBox->currentIndex());
}

void SaveReportPage::onInspectorIndexChanged(int index)
{
    const QVariant id = m_inspectorBox->itemData(index);
    m_selectedFitterId = id.isValid() ? id.toInt() : -1;
}

void SaveReportPage::refillGenderBox()
{
    const QSignalBlocker blocker(m_genderBox);
    const int index = std::max(m_genderBox->currentIndex(), 0);
    m_genderBox->clear();
    for (const auto &entry : GenderEntries)
        m_genderBox->addItem(uiText(QLatin1String(entry.key), QString::fromUtf8(entry.defaultText)),
                             QString::fromUtf8(entry.stored));
    m_genderBox->setCurrentIndex(index);
}

void SaveReportPage::applyMode()
{
    m_nextButton->setVisible(m_mode == NewOrder);
    m_saveButton->setStyleSheet(QString::fromLatin1(SaveStyle).arg(
        m_mode == FromInspection ? QStringLiteral("#585656") : QStringLiteral("#333333")));
}

void SaveReportPage::arrangePersonFields()
{
    // One row needs room for the caption column, the gender box and three
    // labelled edits of a usable width; German captions need the most.
    constexpr int MinEditWidth = 170;
    const int spacing = m_personGrid->horizontalSpacing();
    int needed = m_nameLabel->minimumWidth() + spacing + m_genderBox->width();
    for (QLabel *label : {m_phoneLabel, m_birthLabel, m_ageLabel})
        needed += 3 * spacing + label->sizeHint().width() + MinEditWidth;
    const QMargins margins = m_card->layout()->contentsMargins();
    const int available = width() - margins.left() - margins.right() - 8;
    const bool twoRows = needed > available;
    if (m_personRowsArranged && twoRows == m_personTwoRows)
        return;
    m_personRowsArranged = true;
    m_personTwoRows = twoRows;

    const QList<QWidget *> fields{m_genderLabel, m_genderBox, m_phoneLabel, m_phoneEdit,
                                  m_birthLabel,  m_birthEdit, m_ageLabel,   m_ageEdit};
    for (QWidget *field : fields)
        m_personGrid->removeWidget(field);
    for (int column = 0; column < 8; ++column)
        m_personGrid->setColumnStretch(column, 0);
    if (twoRows) {
        m_personGrid->addWidget(m_genderLabel, 0, 0);
        m_personGrid->addWidget(m_genderBox, 0, 1);
        m_personGrid->addWidget(m_phoneLabel, 0, 2);
        m_personGrid->addWidget(m_phoneEdit, 0, 3);
        m_personGrid->addWidget(m_birthLabel, 1, 0);
        m_personGrid->addWidget(m_birthEdit, 1, 1);
        m_personGrid->addWidget(m_ageLabel, 1, 2);
        m_personGrid->addWidget(m_ageEdit, 1, 3);
        m_personGrid->setColumnStretch(3, 1);
    } else {
        for (int column = 0; column < fields.size(); ++column)
            m_personGrid->addWidget(fields.at(column), 0, column);
        for (int column : {3, 5, 7})
            m_personGrid->setColumnStretch(column, 1);
    }
    applyCaptionWidths();
}

void SaveReportPage::applyCaptionWidths()
{
    // The captions in front of each row share one column, as wide as the longest.
    QList<QLabel *> firstColumn{m_orderNumberLabel, m_nameLabel, m_genderLabel, m_addressLabel,
                                m_notesLabel};
    if (m_personTwoRows)
        firstColumn.append(m_birthLabel);
    for (QLabel *label : {m_orderNumberLabel, m_nameLabel, m_genderLabel, m_addressLabel,
                          m_notesLabel, m_birthLabel, m_phoneLabel, m_ageLabel}) {
        label->setMinimumWidth(0);
        label->setMaximumWidth(QWIDGETSIZE_MAX);
    }
    int captionWidth = 0;
    for (QLabel *label : std::as_const(firstColumn))
        captionWidth = std::max(captionWidth, label->sizeHint().width());
    for (QLabel *label : std::as_const(firstColumn))
        label->setFixedWidth(captionWidth);
    // The second column's captions line up as well when the fields take two rows.
    if (m_personTwoRows) {
        const int second =
            std::max(m_phoneLabel->sizeHint().width(), m_ageLabel->sizeHint().width());
        m_phoneLabel->setFixedWidth(second);
        m_ageLabel->setFixedWidth(second);
    }
}

void SaveReportPage::applyWidths()
{
    arrangePersonFields();
    const OrderForm::Widths widths = OrderForm::widthsFor(width());
    m_orderNumberEdit->setFixedSize(widths.orderNumber, widths.orderNumberHeight);
    m_inspectorBox->setFixedWidth(widths.inspector);
    m_inspectorRow->setFixedWidth(widths.inspector);
}

void SaveReportPage::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    applyWidths();
}

void SaveReportPage::retranslate()
{
    m_titleLabel->setText(uiText(QStringLiteral("orders.new"), QStringLiteral("New Order")));
    m_step1Label->setText(
        uiText(QStringLiteral("save_report.step1"), QStringLiteral("1. Enter Customer Info")));
    m_step2Label->setText(
        uiText(QStringLiteral("save_report.step2"), QStringLiteral("2. Select Inspector")));
    m_orderNumberLabel->setText(
        uiText(QStringLiteral("order.number"), QStringLiteral("Order No.")));
    m_orderNumberEdit->setPlaceholderText(
        uiText(QStringLiteral("order.search.order_number.placeholder"),
               QStringLiteral("Enter order number")));
    m_createdLabel->setText(
        uiText(QStringLiteral("order.created_time"), QStringLiteral("Created")));
    m_nameLabel->setText(
        requiredCaption(uiText(QStringLiteral("customer.name"), QStringLiteral("Name"))));
    m_nameEdit->setPlaceholderText(uiText(QStringLiteral("order.search.name.placeholder"),
                                          QStringLiteral("Enter customer name")));
    m_genderLabel->setText(
        requiredCaption(uiText(QStringLiteral("common.gender"), QStringLiteral("Gender"))));
    m_phoneLabel->setText(uiText(QStringLiteral("customer.phone"), QStringLiteral("Phone")));
    m_phoneEdit->setPlaceholderText(uiText(QStringLiteral("order.search.phone.placeholder"),
                                           QStringLiteral("Enter phone number")));
    m_birthLabel->setText(
        uiText(QStringLiteral("customer.birth_date"), QStringLiteral("Birthday")));
    m_birthEdit->setPlaceholderText(uiText(QStringLiteral("save_report.birthday.placeholder"),
                                           QStringLiteral("Enter birthday")));
    m_ageLabel->setText(uiText(QStringLiteral("customer.age"), QStringLiteral("Age")));
    m_ageEdit->setPlaceholderText(
        uiText(QStringLiteral("save_report.age.placeholder"), QStringLiteral("Enter age")));
    m_addressLabel->setText(uiText(QStringLiteral("customer.address"), QStringLiteral("Address")));
    m_addressEdit->setPlaceholderText(
        uiText(QStringLiteral("save_report.address.placeholder"), QStringLiteral("Enter address")));
    m_notesLabel->setText(uiText(QStringLiteral("common.notes"), QStringLiteral("Notes")));
    m_notesEdit->setPlaceholderText(uiText(QStringLiteral("save_report.notes.placeholder"),
                                           QStringLiteral("Enter special notes")));
    m_inspectorLabel->setText(
        requiredCaption(uiText(QStringLiteral("report.inspector"), QStringLiteral("Inspector"))));
    m_newInspectorButton->setText(
        uiText(QStringLiteral("common.action.add"), QStringLiteral("New")));
    m_saveButton->setText(uiText(QStringLiteral("common.save"), QStringLiteral("Save")));
    m_nextButton->setText(
        uiText(QStringLiteral("save_report.next_step"), QStringLiteral("Next: Inspection")));

    applyCaptionWidths();
    m_personRowsArranged = false;
    arrangePersonFields();

    refillGenderBox();
    refillInspectorBox();
}

void SaveReportPage::onBackClicked()
{
    emit backRequested();
}

void SaveReportPage::onNewInspectorClicked()
{
    InspectorDialog dialog(this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    reloadFitters();
    m_selectedFitterId = dialog.createdFitter().id;
    refillInspectorBox();
}

void SaveReportPage::onChooseInspectorClicked()
{
    reloadFitters();
    if (m_fitters.isEmpty()) {
        onNewInspectorClicked();
        return;
    }
    const QVariant id = m_inspectorBox->currentData();
    if (id.isValid() && findFitter(id.toInt()))
        m_selectedFitterId = id.toInt();
    refillInspectorBox();
}

bool SaveReportPage::buildValidated(Customer &order)
{
    OrderForm::Input input;
    input.orderNumber = m_orderNumberEdit->text();
    input.name = m_nameEdit->text();
    input.birthDate = m_birthEdit->text();
    input.phone = m_phoneEdit->text();
    input.address = m_addressEdit->text();
    input.notes = m_notesEdit->toPlainText();
    input.ageText = m_ageEdit->text();
    input.genderValue = m_genderBox->currentData().toString();
    const Customer base = m_mode == EditOrder ? m_editingCustomer : Customer();
    order =
        OrderForm::build(base, input, findFitter(m_selectedFitterId), QDateTime::currentDateTime());

    switch (OrderForm::validate(order)) {
    case OrderForm::Problem::OrderNumberMissing:
        showPromptMessage(this, uiText(QStringLiteral("save_report.order_number_required"),
                                       QStringLiteral("Please enter the order number.")));
        m_orderNumberEdit->setFocus();
        return false;
    case OrderForm::Problem::NameMissing:
        showPromptMessage(this, uiText(QStringLiteral("save_report.customer_name_required"),
                                       QStringLiteral("Please enter the customer name.")));
        m_nameEdit->setFocus();
        return false;
    case OrderForm::Problem::InspectorMissing:
        showPromptMessage(this, uiText(QStringLiteral("save_report.inspector_required"),
                                       QStringLiteral("Please select an inspector.")));
        return false;
    case OrderForm::Problem::None:
        break;
    }
    // Photos handed over by the inspection page belong to the order entered
    // for them; a new or edited order opened from the list never picks up
    // photos left from an earlier hand-over.
    if (m_mode == FromInspection)
        order.photos += StoredPhoto::fromEntries(photoEntries(m_photos));
    return true;
}

void SaveReportPage::onSaveClicked()
{
    Customer order;
    if (!buildValidated(order))
        return;
    QList<Customer> orders = loadCustomers();
    if (m_mode != EditOrder)
        order.id = nextCustomerId(orders);
    OrderForm::store(orders, order, m_mode == EditOrder);
    if (!saveCustomers(orders)) {
        showPromptMessage(this, uiText(QStringLiteral("order.save_failed_disk_permission"),
                                       QStringLiteral("Failed to save order. Please check disk "
                                                      "permissions.")));
        return;
    }
    emit reportSaved(order);
}

void SaveReportPage::onNextStepClicked()
{
    Customer order;
    if (!buildValidated(order))
        return;
    if (m_mode != EditOrder)
        order.id = nextCustomerId(loadCustomers());
    emit proceedToInspection(order);
}
