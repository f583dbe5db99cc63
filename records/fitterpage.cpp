#include "records/fitterpage.h"

#include "i18n/langmanager.h"
#include "records/fitterdialog.h"
#include "records/fitterquery.h"
#include "records/listpaging.h"
#include "records/store/recordstore.h"
#include "ui/common/combopopup.h"
#include "ui/common/fittertableheader.h"
#include "ui/common/promptdialog.h"
#include "ui/common/roundedcheckbox.h"

#include <QComboBox>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace {

const char *const SearchEditStyle =
    "QLineEdit {  border: 1px solid #d0d0d0; border-radius: 6px;  padding: 5px 10px; font-size: "
    "13px; background: white;}QLineEdit:focus { border: 1px solid #ff6b35; }";
const char *const DarkButtonStyle =
    "QPushButton { background: #5a5a5a; color: white; font-size: 13px; font-weight: bold;"
    " border: none; border-radius: 6px; padding: 6px %1px; }"
    "QPushButton:hover { background: #6a6a6a; }";
const char *const ResetButtonStyle =
    "QPushButton { background: white; color: #555555; font-size: 13px; border: 1px solid #cccccc;"
    " border-radius: 6px; padding: 6px 18px; }"
    "QPushButton:hover { background: #f5f5f5; }";
const char *const BatchDeleteStyle =
    "QPushButton { background: white; color: #e74c3c; font-size: 13px; border: 1px solid #e74c3c;"
    " border-radius: 6px; padding: 4px 14px; }"
    "QPushButton:hover { background: #fff0ef; }";
const char *const TableStyle =
    "QTableWidget { border: 1px solid #e8e8e8; border-radius: 6px; font-size: 13px;"
    " color: #333333; background: white; alternate-background-color: #fafafa; }"
    "QTableWidget::item { padding: 8px 4px; border-bottom: 1px solid #f0f0f0; }"
    "QHeaderView::section { background: #f5f5f5; color: #555555; font-size: 13px;"
    " font-weight: bold; border: none; border-bottom: 1px solid #e0e0e0; padding: 8px 2px; }"
    "QScrollBar:vertical { width: 6px; background: transparent; margin: 0; }"
    "QScrollBar::handle:vertical { background: #d0d0d0; border-radius: 3px; min-height: 30px; }"
    "QScrollBar::add-line:vertical, QScrollBar::sub-line:vertical { height: 0; }";
const char *const PageSizeStyle =
    "QComboBox { border: 1px solid #ff6b35; border-radius: 4px; color: #ff6b35;"
    " padding: 0 6px; background: white; }"
    "QComboBox::drop-down { border: none; width: 16px; }"
    "QComboBox::down-arrow { image: url(:/res/combo_arrow.png); width: 8px; height: 6px; }";
const char *const CurrentPageStyle =
    "QLabel { background: #ff6b35; color: white; border-radius: 4px; padding: 4px 10px; }";
const char *const PageEditStyle =
    "QLineEdit { border: 1px solid #d0d0d0; border-radius: 4px; background: white; }";
const char *const GoButtonStyle =
    "QPushButton { background: white; color: #ff6b35; border: 1px solid #ff6b35;"
    " border-radius: 4px; padding: 4px 12px; }"
    "QPushButton:hover { background: #fff5f0; }";
const char *const EditButtonStyle =
    "QPushButton { background: transparent; border: none; color: #ff6b35; font-size: 13px; }"
    "QPushButton:hover { color: #ff8555; text-decoration: underline; }";

constexpr int RowHeight = 46;

QWidget *centredCell(QWidget *content)
{
    auto *cell = new QWidget;
    cell->setStyleSheet(QStringLiteral("background: transparent;"));
    auto *layout = new QHBoxLayout(cell);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(content, 0, Qt::AlignCenter);
    return cell;
}

QTableWidgetItem *textItem(const QString &text)
{
    auto *item = new QTableWidgetItem(text);
    item->setTextAlignment(Qt::AlignCenter);
    return item;
}

} // namespace

FitterPage::FitterPage(QWidget *parent) : QWidget(parent)
{
    buildUi();
    m_allFitters = loadFitters();
    connect(LangManager::instance(), &LangManager::languageChanged, this, &FitterPage::retranslate);
    retranslate();
}

void FitterPage::buildUi()
{
    setAttribute(Qt::WA_StyledBackground);
    setStyleSheet(QStringLiteral("FitterPage { background-color: white; }"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 18, 24, 18);
    layout->setSpacing(12);

    auto button = [this](const char *name, const QString &style, int height) {
        auto *b = new QPushButton(this);
        b->setObjectName(QLatin1String(name));
        b->setCursor(Qt::PointingHandCursor);
        b->setFixedHeight(height);
        b->setStyleSheet(style);
        return b;
    };

    auto *searchRow = new QHBoxLayout;
    searchRow->setSpacing(8);
    m_keywordLabel = new QLabel(this);
    m_keywordLabel->setStyleSheet(QStringLiteral("font-size: 13px; color: #444444;"));
    m_searchEdit = new QLineEdit(this);
    m_searchEdit->setObjectName(QStringLiteral("fitterSearchEdit"));
    m_searchEdit->setMinimumWidth(160);
    m_searchEdit->setMaximumWidth(260);
    m_searchEdit->setFixedHeight(34);
    m_searchEdit->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    m_searchEdit->setStyleSheet(QLatin1String(SearchEditStyle));
    m_searchButton = button("fitterSearchButton", QString::fromLatin1(DarkButtonStyle).arg(20), 34);
    m_resetButton = button("fitterResetButton", QLatin1String(ResetButtonStyle), 34);
    m_addButton = button("fitterAddButton", QString::fromLatin1(DarkButtonStyle).arg(18), 34);
    searchRow->addWidget(m_keywordLabel);
    searchRow->addWidget(m_searchEdit);
    searchRow->addWidget(m_searchButton);
    searchRow->addWidget(m_resetButton);
    searchRow->addStretch();
    searchRow->addWidget(m_addButton);
    layout->addLayout(searchRow);

    auto *sectionRow = new QHBoxLayout;
    sectionRow->setSpacing(8);
    m_sectionTitle = new QLabel(this);
    m_sectionTitle->setStyleSheet(
        // Qt paints a single side's border only once the other sides have a style.
        QStringLiteral("font-size: 14px; font-weight: bold; color: #222222; border: none;"
                       "border-left: 4px solid #ff6b35; padding-left: 8px;"));
    m_batchDeleteButton = button("fitterBatchDeleteButton", QLatin1String(BatchDeleteStyle), 32);
    sectionRow->addWidget(m_sectionTitle);
    sectionRow->addStretch();
    sectionRow->addWidget(m_batchDeleteButton);
    layout->addLayout(sectionRow);

    m_table = new QTableWidget(0, 6, this);
    m_table->setObjectName(QStringLiteral("fitterTable"));
    m_header = new FitterTableHeader(Qt::Horizontal, m_table);
    m_table->setHorizontalHeader(m_header);
    m_header->setSectionsClickable(true);
    m_header->setHighlightSections(false);
    m_header->setDefaultAlignment(Qt::AlignCenter);
    m_table->verticalHeader()->hide();
    m_table->verticalHeader()->setDefaultSectionSize(RowHeight);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setSelectionMode(QAbstractItemView::NoSelection);
    m_table->setFocusPolicy(Qt::NoFocus);
    m_table->setShowGrid(false);
    m_table->setAlternatingRowColors(true);
    m_table->setWordWrap(false);
    m_table->setTextElideMode(Qt::ElideRight);
    m_table->setStyleSheet(QLatin1String(TableStyle));
    const struct
    {
        int column;
        int width; // 0: stretches
    } columns[] = {{0, 44}, {1, 52}, {2, 0}, {3, 0}, {4, 64}, {5, 62}};
    for (const auto &c : columns) {
        if (c.width > 0) {
            m_header->setSectionResizeMode(c.column, QHeaderView::Fixed);
            m_header->resizeSection(c.column, c.width);
        } else {
            m_header->setSectionResizeMode(c.column, QHeaderView::Stretch);
        }
    }
    layout->addWidget(m_table, 1);

    auto *pagination = new QHBoxLayout;
    pagination->setSpacing(8);
    m_totalPagesLabel = new QLabel(this);
    m_totalPagesLabel->setObjectName(QStringLiteral("fitterTotalPagesLabel"));
    m_pageSizeBox = new QComboBox(this);
    m_pageSizeBox->setObjectName(QStringLiteral("fitterPageSizeBox"));
    m_pageSizeBox->addItems({QStringLiteral("10"), QStringLiteral("20"), QStringLiteral("50")});
    m_pageSizeBox->setFixedSize(66, 28);
    m_pageSizeBox->setStyleSheet(QLatin1String(PageSizeStyle));
    styleComboPopup(m_pageSizeBox);
    m_currentPageLabel = new QLabel(QStringLiteral("1"), this);
    m_currentPageLabel->setObjectName(QStringLiteral("fitterCurrentPageLabel"));
    m_currentPageLabel->setFixedHeight(28);
    m_currentPageLabel->setMinimumWidth(32);
    m_currentPageLabel->setAlignment(Qt::AlignCenter);
    m_currentPageLabel->setStyleSheet(QLatin1String(CurrentPageStyle));
    m_jumpLabel = new QLabel(this);
    m_pageEdit = new QLineEdit(this);
    m_pageEdit->setObjectName(QStringLiteral("fitterPageEdit"));
    m_pageEdit->setFixedSize(46, 28);
    m_pageEdit->setAlignment(Qt::AlignCenter);
    m_pageEdit->setStyleSheet(QLatin1String(PageEditStyle));
    m_goButton = button("fitterGoButton", QLatin1String(GoButtonStyle), 28);
    m_goButton->setText(QStringLiteral("GO"));
    pagination->addStretch();
    pagination->addWidget(m_totalPagesLabel);
    pagination->addWidget(m_pageSizeBox);
    pagination->addWidget(m_currentPageLabel);
    pagination->addSpacing(16);
    pagination->addWidget(m_jumpLabel);
    pagination->addWidget(m_pageEdit);
    pagination->addWidget(m_goButton);
    pagination->addStretch();
    layout->addLayout(pagination);

    connect(m_searchButton, &QPushButton::clicked, this, &FitterPage::onQueryClicked);
    connect(m_searchEdit, &QLineEdit::returnPressed, this, &FitterPage::onQueryClicked);
    connect(m_resetButton, &QPushButton::clicked, this, &FitterPage::onResetClicked);
    connect(m_addButton, &QPushButton::clicked, this, &FitterPage::onAddClicked);
    connect(m_batchDeleteButton, &QPushButton::clicked, this, &FitterPage::onBatchDeleteClicked);
    connect(m_pageSizeBox, &QComboBox::currentIndexChanged, this, &FitterPage::onPageSizeChanged);
    connect(m_goButton, &QPushButton::clicked, this, &FitterPage::onGoClicked);
    connect(m_pageEdit, &QLineEdit::returnPressed, this, &FitterPage::onGoClicked);
    connect(m_header, &FitterTableHeader::checkAllToggled, this, &FitterPage::onCheckAllToggled);
}

void FitterPage::reloadFitters()
{
    m_allFitters = loadFitters();
    m_currentPage = 1;
    refreshTable();
}

void FitterPage::retranslate()
{
    m_keywordLabel->setText(uiText(QStringLiteral("common.keyword"), QStringLiteral("关键字:")));
    m_searchEdit->setPlaceholderText(
        uiText(QStringLiteral("fitters.search.placeholder"), QStringLiteral("姓名")));
    m_searchButton->setText(uiText(QStringLiteral("common.search"), QStringLiteral("查询")));
    m_resetButton->setText(uiText(QStringLiteral("common.reset"), QStringLiteral("重置")));
    m_addButton->setText(uiText(QStringLiteral("fitters.add"), QStringLiteral("✏ 添加")));
    m_sectionTitle->setText(
        uiText(QStringLiteral("fitters.section_title"), QStringLiteral("| 验配师")));
    m_batchDeleteButton->setText(
        uiText(QStringLiteral("fitters.batch_delete"), QStringLiteral("🗑 批量删除")));
    m_jumpLabel->setText(uiText(QStringLiteral("pagination.jump_to"), QStringLiteral("跳转")));
    m_table->setHorizontalHeaderLabels({
        QString(),
        uiText(QStringLiteral("table.no"), QStringLiteral("序号")),
        uiText(QStringLiteral("fitter.name"), QStringLiteral("姓名")),
        uiText(QStringLiteral("fitter.work_or_clinic"), QStringLiteral("工号/诊所名称")),
        uiText(QStringLiteral("common.gender"), QStringLiteral("性别")),
        uiText(QStringLiteral("common.action"), QStringLiteral("操作")),
    });
    fitColumnsToTexts();
    refreshTable();
}

void FitterPage::fitColumnsToTexts()
{
    // The fixed columns are sized for Chinese; longer words ("Not specified",
    // "Bearbeiten") widen them instead of being cut off.
    m_table->ensurePolished();
    m_header->ensurePolished();
    QFont headerFont = m_header->font();
    headerFont.setBold(true);
    const QFontMetrics cellMetrics(m_table->font());
    const QFontMetrics headerMetrics(headerFont);
    auto fit = [&](int column, int base, const QStringList &cellTexts) {
        int width =
            headerMetrics.horizontalAdvance(m_table->horizontalHeaderItem(column)->text()) + 16;
        for (const QString &text : cellTexts)
            width = std::max(width, cellMetrics.horizontalAdvance(text) + 20);
        m_header->resizeSection(column, std::max(base, width));
    };
    fit(1, 52, {QStringLiteral("9999")});
    QStringList genders;
    for (const char *stored : {"男", "女", "保密"}) {
        const FitterQuery::GenderText gender = FitterQuery::genderText(QString::fromUtf8(stored));
        genders.append(uiText(QLatin1String(gender.key), QString::fromUtf8(gender.defaultText)));
    }
    fit(4, 64, genders);
    fit(5, 62, {uiText(QStringLiteral("common.action.edit"), QStringLiteral("编辑"))});
}

void FitterPage::refreshTable()
{
    m_filtered = FitterQuery::matching(m_allFitters, m_searchKeyword);
    const int count = m_filtered.size();
    m_currentPage = ListPaging::clampPage(m_currentPage, count, m_pageSize);
    const int start = ListPaging::firstIndex(m_currentPage, m_pageSize);
    const int rows = ListPaging::rowsOnPage(m_currentPage, count, m_pageSize);

    // Old cell widgets go through the event loop: a row's own edit button may
    // be the one whose click led here.
    for (int row = 0; row < m_table->rowCount(); ++row) {
        for (int column : {0, 5}) {
            if (QWidget *cell = m_table->cellWidget(row, column))
                cell->deleteLater();
        }
    }
    m_table->clearContents();
    m_table->setRowCount(rows);
    m_header->setChecked(false);
    for (int row = 0; row < rows; ++row)
        fillRow(row, m_filtered.at(start + row));

    m_totalPagesLabel->setText(
        uiText(QStringLiteral("pagination.total_pages"), QStringLiteral("共 %1 页"))
            .arg(ListPaging::totalPages(count, m_pageSize)));
    m_currentPageLabel->setText(QString::number(m_currentPage));
}

void FitterPage::fillRow(int row, int position)
{
    const Fitter &fitter = m_allFitters.at(position);
    m_table->setRowHeight(row, RowHeight);

    auto *check = new RoundedCheckBox;
    check->setObjectName(QStringLiteral("cb_%1").arg(fitter.id));
    check->setCursor(Qt::PointingHandCursor);
    m_table->setCellWidget(row, 0, centredCell(check));

    const int number = ListPaging::firstIndex(m_currentPage, m_pageSize) + row + 1;
    m_table->setItem(row, 1, textItem(QString::number(number)));
    m_table->setItem(row, 2, textItem(fitter.name));
    m_table->setItem(row, 3, textItem(FitterQuery::workOrClinicText(fitter)));
    const FitterQuery::GenderText gender = FitterQuery::genderText(fitter.gender);
    m_table->setItem(
        row, 4, textItem(uiText(QLatin1String(gender.key), QString::fromUtf8(gender.defaultText))));

    auto *edit =
        new QPushButton(uiText(QStringLiteral("common.action.edit"), QStringLiteral("编辑")));
    edit->setObjectName(QStringLiteral("editButton"));
    edit->setCursor(Qt::PointingHandCursor);
    edit->setStyleSheet(QLatin1String(EditButtonStyle));
    // The row edits the fitter at its own place in the list, which also holds
    // when a hand-edited file gives two fitters the same id.
    connect(edit, &QPushButton::clicked, this, [this, position] { editAt(position); });
    m_table->setCellWidget(row, 5, centredCell(edit));
}

QList<int> FitterPage::selectedPositions() const
{
    QList<int> positions;
    const int start = ListPaging::firstIndex(m_currentPage, m_pageSize);
    for (int row = 0; row < m_table->rowCount(); ++row) {
        const QWidget *cell = m_table->cellWidget(row, 0);
        const auto *check = cell ? cell->findChild<QCheckBox *>() : nullptr;
        if (!check || !check->isChecked())
            continue;
        const int index = start + row;
        if (index < m_filtered.size())
            positions.append(m_filtered.at(index));
    }
    return positions;
}

void FitterPage::saveOrRevert(const QList<Fitter> &previous)
{
    if (saveFitters(m_allFitters))
        return;
    m_allFitters = previous;
    showPromptMessage(this, uiText(QStringLiteral("inspector.save_failed_disk_permission"),
                                   QStringLiteral("检查人保存失败，请检查磁盘权限。")));
}

void FitterPage::onAddClicked()
{
    FitterDialog dialog(this, false, Fitter());
    if (dialog.exec() != QDialog::Accepted)
        return;
    Fitter fitter = dialog.fitter();
    fitter.id = nextFitterId(m_allFitters);
    const QList<Fitter> previous = m_allFitters;
    m_allFitters.append(fitter);
    saveOrRevert(previous);
    m_currentPage = 1;
    refreshTable();
}

void FitterPage::onEditClicked(int fitterId)
{
    const auto it = std::find_if(m_allFitters.cbegin(), m_allFitters.cend(),
                                 [fitterId](const Fitter &f) { return f.id == fitterId; });
    if (it != m_allFitters.cend())
        editAt(static_cast<int>(it - m_allFitters.cbegin()));
}

void FitterPage::editAt(int position)
{
    if (position < 0 || position >= m_allFitters.size())
        return;
    FitterDialog dialog(this, true, m_allFitters.at(position));
    if (dialog.exec() != QDialog::Accepted)
        return;
    const QList<Fitter> previous = m_allFitters;
    Fitter edited = dialog.fitter();
    edited.id = m_allFitters.at(position).id;
    m_allFitters[position] = edited;
    saveOrRevert(previous);
    refreshTable();
}

void FitterPage::onBatchDeleteClicked()
{
    QList<int> positions = selectedPositions();
    if (positions.isEmpty()) {
        showPromptMessage(this, uiText(QStringLiteral("fitters.delete_select_required"),
                                       QStringLiteral("请至少勾选一位验配师！")));
        return;
    }
    const QString question = uiText(QStringLiteral("fitters.delete_selected_confirm"),
                                    QStringLiteral("确定要删除选中的 %1 位验配师吗？"))
                                 .arg(positions.size());
    if (!showPromptConfirm(this, question, PromptDefault::Cancel))
        return;
    const QList<Fitter> previous = m_allFitters;
    std::sort(positions.begin(), positions.end(), std::greater<int>());
    for (int position : std::as_const(positions))
        m_allFitters.removeAt(position);
    saveOrRevert(previous);
    m_currentPage = 1;
    refreshTable();
}

void FitterPage::onQueryClicked()
{
    m_searchKeyword = m_searchEdit->text().trimmed();
    m_currentPage = 1;
    refreshTable();
}

void FitterPage::onResetClicked()
{
    m_searchKeyword.clear();
    m_searchEdit->clear();
    m_currentPage = 1;
    refreshTable();
}

void FitterPage::onPageSizeChanged(int index)
{
    bool ok = false;
    const int size = m_pageSizeBox->itemText(index).toInt(&ok);
    if (!ok || size < 1)
        return;
    m_pageSize = size;
    m_currentPage = 1;
    refreshTable();
}

void FitterPage::onGoClicked()
{
    const int target = ListPaging::jumpTarget(m_pageEdit->text(), m_filtered.size(), m_pageSize);
    if (target < 1)
        return;
    m_currentPage = target;
    m_pageEdit->clear();
    refreshTable();
}

void FitterPage::onCheckAllToggled(bool checked)
{
    for (int row = 0; row < m_table->rowCount(); ++row) {
        if (QWidget *cell = m_table->cellWidget(row, 0)) {
            if (auto *check = cell->findChild<QCheckBox *>())
                check->setChecked(checked);
        }
    }
}
