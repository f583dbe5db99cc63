#include "reports/reportsheet.h"

#include "i18n/langmanager.h"
#include "records/orderdisplay.h"
#include "records/reportphoto.h"
#include "records/store/customer.h"
#include "records/store/photoentry.h"
#include "records/store/reportconfig.h"
#include "reports/reportlayout.h"
#include "reports/reportphotocell.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include <algorithm>

namespace {

const QString TitleStyle =
    QStringLiteral("color: #333333; font-size: 14px; font-weight: bold; background: transparent;");
constexpr int TitleGap = 6;
const QString ValueStyle =
    QStringLiteral("color: #333333; font-size: 14px; background: transparent;");

// Long runs without spaces get break points so that they wrap; nothing is cut.
QString wrappableWhole(const QString &text)
{
    return OrderDisplay::wrappable(text, int(text.size()));
}

QLabel *plainLabel(const QString &text, const QString &style, QWidget *parent)
{
    auto *label = new QLabel(parent);
    label->setTextFormat(Qt::PlainText);
    label->setText(text);
    label->setStyleSheet(style);
    return label;
}

QLabel *wrappedValue(const QString &text, QWidget *parent)
{
    QLabel *label = plainLabel(wrappableWhole(OrderDisplay::orDash(text)), ValueStyle, parent);
    label->setWordWrap(true);
    label->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

// A word-wrapped label without a stretch of its own is laid out at Qt's guess
// of a pleasing width, which breaks even a short name; it gets the width of
// its text instead, up to `widest`, and wraps only beyond that. The text is
// measured in the screen's font metrics but laid out again for the printer,
// where it can come out wider ("Dr. Weber" broke after "Dr." on paper): a
// text that fits does not wrap at all, and gets room to spare.
void wrapOnlyBeyond(QLabel *label, const QString &text, int widest)
{
    label->ensurePolished(); // the style sheet's font, not the default one
    const QFontMetrics metrics = label->fontMetrics();
    const int needed = metrics.horizontalAdvance(text) + metrics.averageCharWidth();
    label->setWordWrap(needed > widest);
    label->setMinimumWidth(std::min(needed, widest));
}

} // namespace

ReportSheet::ReportSheet(const ReportConfig &config, const Customer &order,
                         const QList<int> &photoIndices, int panelWidth, QWidget *parent)
    : QFrame(parent)
{
    setObjectName(QStringLiteral("reportSheet"));
    QStringList headerParts;
    for (const QString &part : {order.name.simplified(), order.orderNumber.simplified()})
        if (!part.isEmpty())
            headerParts.append(part);
    m_runningHeader = headerParts.join(QStringLiteral(" \u00b7 "));
    setStyleSheet(
        QStringLiteral("QFrame#reportSheet { background:white; border:1px solid #979797; }"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(36, 13, 36, 30);
    layout->setSpacing(0);

    QLabel *company = addText(config.companyName.trimmed(),
                              QStringLiteral("color: #333333; font-size: 24px; background: "
                                             "transparent;"),
                              true);
    company->setObjectName(QStringLiteral("reportCompany"));
    layout->addSpacing(11);
    const QString title =
        config.reportTitle.isEmpty()
            ? uiText(QStringLiteral("report.default_title"), QStringLiteral("Inspection Report"))
            : config.reportTitle;
    addText(title,
            QStringLiteral("color: #585656; font-size: 32px; font-weight: bold; background: "
                           "transparent;"),
            true)
        ->setObjectName(QStringLiteral("reportTitle"));
    layout->addSpacing(27);
    layout->addWidget(buildHeaderRow(order));
    layout->addSpacing(26);
    addRule();
    layout->addSpacing(26);
    layout->addLayout(buildCustomerGrid(order));
    layout->addSpacing(26);
    addRule();
    layout->addSpacing(26);
    QLabel *results = addText(
        uiText(QStringLiteral("report.results_with_colon"), QStringLiteral("Results:")),
        QStringLiteral("color: #333333; font-size: 16px; font-weight: 800; font-family: "
                       "'Microsoft YaHei UI', 'Microsoft YaHei', 'PingFang SC', 'Noto Sans CJK "
                       "SC'; background: transparent;"),
        false);
    results->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    layout->addSpacing(14);
    layout->addWidget(buildPhotoGrid(order, photoIndices, panelWidth));
    layout->addSpacing(42);
    layout->addWidget(buildNotesRow(config, order));
    layout->addSpacing(18);
}

void ReportSheet::fitToWidth(int width)
{
    const int height = hasHeightForWidth() ? heightForWidth(width) : sizeHint().height();
    resize(width, std::max(height, minimumSizeHint().height()));
    // A sheet that has never been shown gets no resize events; its nested
    // layouts are placed here, outer ones first.
    layout()->activate();
    const QList<QLayout *> layouts = findChildren<QLayout *>();
    for (QLayout *inner : layouts)
        inner->activate();
}

QList<ReportLayout::Band> ReportSheet::keepWhole() const
{
    QList<ReportLayout::Band> bands;
    QList<QWidget *> parts;
    const QList<QLabel *> labels = findChildren<QLabel *>();
    for (QLabel *label : labels)
        parts.append(label);
    const QList<QFrame *> cells = findChildren<QFrame *>(QStringLiteral("reportPhotoCell"));
    for (QFrame *cell : cells)
        parts.append(cell);
    for (const QWidget *part : std::as_const(parts)) {
        const int top = part->mapTo(this, QPoint(0, 0)).y();
        bands.append({qreal(top), qreal(top + part->height())});
    }
    return ReportLayout::joinBands(bands);
}

QLabel *ReportSheet::addText(const QString &text, const QString &style, bool userText)
{
    QLabel *label = plainLabel(userText ? wrappableWhole(text) : text, style, this);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignCenter);
    layout()->addWidget(label);
    return label;
}

void ReportSheet::addRule()
{
    auto *rule = new QFrame(this);
    rule->setFixedHeight(1);
    rule->setStyleSheet(QStringLiteral("background: #d8d8d8; border: none;"));
    layout()->addWidget(rule);
}

QWidget *ReportSheet::buildHeaderRow(const Customer &order)
{
    auto *row = new QWidget(this);
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(
        plainLabel(uiText(QStringLiteral("report.exam_time"), QStringLiteral("Exam Time")),
                   TitleStyle, row),
        0, Qt::AlignTop);
    layout->addSpacing(12);
    QLabel *examTime = plainLabel(ReportLayout::examTime(order.createdAt),
                                  QStringLiteral("color: #666666; font-size: 14px; background: "
                                                 "transparent;"),
                                  row);
    examTime->setObjectName(QStringLiteral("reportExamTime"));
    layout->addWidget(examTime, 0, Qt::AlignTop);
    layout->addStretch();
    layout->addWidget(
        plainLabel(uiText(QStringLiteral("report.number"), QStringLiteral("No.")), TitleStyle, row),
        0, Qt::AlignTop);
    layout->addSpacing(11);
    // The stored number as typed; a long one wraps rather than leaving the page.
    QLabel *number = plainLabel(wrappableWhole(order.orderNumber), ValueStyle, row);
    number->setObjectName(QStringLiteral("reportNumber"));
    number->setWordWrap(true);
    wrapOnlyBeyond(number, order.orderNumber, 320);
    layout->addWidget(number, 0, Qt::AlignTop);
    return row;
}

QGridLayout *ReportSheet::buildCustomerGrid(const Customer &order)
{
    auto *grid = new QGridLayout;
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(40);
    grid->setVerticalSpacing(12);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);
    auto title = [this](const char *key, const char *defaultText) {
        return plainLabel(uiText(QLatin1String(key), QLatin1String(defaultText)), TitleStyle, this);
    };
    QString birthDate = order.birthDate;
    birthDate.replace(QLatin1Char('-'), QLatin1Char('.'));
    const struct
    {
        const char *key;
        const char *defaultText;
        QString value;
        const char *name;
    } cells[] = {
        {textKey("customer.name"), "Name", order.name, "reportName"},
        {textKey("common.gender"), "Gender",
         OrderDisplay::genderText(order.gender, OrderDisplay::EnglishGenderDefaults),
         "reportGender"},
        {textKey("customer.phone"), "Phone", order.phone, "reportPhone"},
        {textKey("customer.birth_date"), "Birthday", birthDate, "reportBirthDate"},
        {textKey("customer.address"), "Address", order.address, "reportAddress"},
        {textKey("customer.age"), "Age", order.age < 0 ? QString() : QString::number(order.age),
         "reportAge"},
    };
    for (int i = 0; i < 6; ++i) {
        const int row = i / 2;
        const int column = 2 * (i % 2);
        grid->addWidget(title(cells[i].key, cells[i].defaultText), row, column, Qt::AlignTop);
        QLabel *value = wrappedValue(cells[i].value, this);
        value->setObjectName(QLatin1String(cells[i].name));
        grid->addWidget(value, row, column + 1);
    }
    grid->addWidget(title(textKey("customer.notes_with_colon"), "Customer Notes:"), 3, 0,
                    Qt::AlignTop);
    QLabel *notes = wrappedValue(order.notes, this);
    notes->setObjectName(QStringLiteral("reportCustomerNotes"));
    grid->addWidget(notes, 3, 1, 1, 3);
    return grid;
}

QWidget *ReportSheet::buildPhotoGrid(const Customer &order, const QList<int> &photoIndices,
                                     int panelWidth)
{
    const QSize cellSize = ReportLayout::photoCellSize(panelWidth);
    auto *area = new QWidget(this);
    auto *row = new QHBoxLayout(area);
    row->setContentsMargins(0, 0, 0, 0);
    auto *grid = new QGridLayout;
    grid->setHorizontalSpacing(28);
    grid->setVerticalSpacing(20);
    row->addStretch();
    row->addLayout(grid);
    row->addStretch();
    int k = 0;
    for (int index : photoIndices) {
        if (index < 0 || index >= order.photos.size())
            continue;
        const StoredPhoto &entry = order.photos.at(index);
        auto *cell = new QFrame(area);
        cell->setObjectName(QStringLiteral("reportPhotoCell"));
        cell->setStyleSheet(QStringLiteral("background: transparent;"));
        auto *cellLayout = new QVBoxLayout(cell);
        cellLayout->setContentsMargins(0, 0, 0, 0);
        cellLayout->setSpacing(8);
        cellLayout->addWidget(new ReportPhotoCell(PhotoEntry::imageOf(entry), cellSize, cell), 0,
                              Qt::AlignHCenter);
        QString name = PhotoEntry::nameOf(entry).trimmed();
        const QString ear = photoEarText(photoEarOf(name));
        if (!ear.isEmpty()) {
            QLabel *earLabel = plainLabel(ear,
                                          QStringLiteral("color: #333333; font-size: 14px; "
                                                         "font-weight: bold; background: "
                                                         "transparent;"),
                                          cell);
            earLabel->setObjectName(QStringLiteral("reportPhotoEar"));
            earLabel->setFixedWidth(cellSize.width());
            cellLayout->addWidget(earLabel, 0, Qt::AlignHCenter);
        }
        if (name.isEmpty())
            name = uiText(QStringLiteral("order_detail.photo.default_name"),
                          QStringLiteral("Inspection Photo"));
        QLabel *nameLabel = plainLabel(wrappableWhole(OrderDisplay::singleLine(name)),
                                       QStringLiteral("color: #999999; font-size: 14px; "
                                                      "background: transparent;"),
                                       cell);
        nameLabel->setObjectName(QStringLiteral("reportPhotoName"));
        // A name too long for one line wraps under the photo instead of being cut.
        nameLabel->setWordWrap(true);
        nameLabel->setFixedWidth(cellSize.width());
        nameLabel->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        cellLayout->addWidget(nameLabel, 0, Qt::AlignHCenter);
        grid->addWidget(cell, k / 2, k % 2, Qt::AlignHCenter | Qt::AlignTop);
        ++k;
    }
    return area;
}

QWidget *ReportSheet::buildNotesRow(const ReportConfig &config, const Customer &order)
{
    auto *row = new QWidget(this);
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(5, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(plainLabel(uiText(QStringLiteral("report.notes_with_colon"),
                                        QStringLiteral("Report Notes:")),
                                 TitleStyle, row),
                      0, Qt::AlignTop);
    // A little room after each title: "Report Notes:-" and "InspectorDr. Weber"
    // ran together.
    layout->addSpacing(TitleGap);
    QLabel *notes = wrappedValue(config.defaultNotes.trimmed(), row);
    notes->setObjectName(QStringLiteral("reportNotes"));
    layout->addWidget(notes, 1);
    layout->addSpacing(10);
    layout->addWidget(
        plainLabel(uiText(QStringLiteral("report.inspector"), QStringLiteral("Inspector")),
                   TitleStyle, row),
        0, Qt::AlignTop);
    layout->addSpacing(TitleGap);
    QLabel *inspector = wrappedValue(order.fitterName, row);
    inspector->setObjectName(QStringLiteral("reportInspector"));
    inspector->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    inspector->setMaximumWidth(240);
    wrapOnlyBeyond(inspector, OrderDisplay::orDash(order.fitterName), 240);
    layout->addWidget(inspector, 0, Qt::AlignTop);
    return row;
}
