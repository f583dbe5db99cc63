#include "records/inspectordialog.h"

#include "i18n/langmanager.h"
#include "records/newinspector.h"
#include "records/store/recordstore.h"
#include "ui/common/combopopup.h"
#include "ui/common/dimlayer.h"
#include "ui/common/promptdialog.h"

#include <QComboBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace {

const char *const FieldStyle =
    "QLineEdit, QComboBox { border: 1px solid #585656; border-radius: 25px; padding: 0 20px;"
    " background: white; color: #333333; font-size: 14px; }"
    "QLineEdit:focus, QComboBox:focus { border: 1px solid #ec5c0b; }"
    "QComboBox::drop-down { border: none; width: 40px; }"
    "QComboBox::down-arrow { image: url(:/res/combo_arrow.png); width: 12px; height: 8px; }";

const struct
{
    const char *key;
    const char *defaultText;
    const char *stored;
} GenderEntries[] = {
    {textKey("common.gender.select"), "请选择性别", ""},
    {textKey("common.gender.male"), "男", "男"},
    {textKey("common.gender.female"), "女", "女"},
    {textKey("common.gender.private"), "保密", "保密"},
};

} // namespace

InspectorDialog::InspectorDialog(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint)
{
    setModal(true);
    setAttribute(Qt::WA_TranslucentBackground);
    QWidget *top = parent ? parent->window() : nullptr;
    setFixedSize(top ? top->size().expandedTo(QSize(CardWidth, CardHeight))
                     : QSize(CardWidth, CardHeight));
    if (top) // over the window itself, not centred with room for a frame
        move(top->geometry().topLeft());

    // Dimmed inside the window: a translucent window of its own would black
    // it out where no compositing window manager runs.
    DimLayer::cover(top, 0.25, this);

    auto *card = new QFrame(this);
    card->setObjectName(QStringLiteral("inspectorCard"));
    card->setFixedSize(CardWidth, CardHeight);
    card->move((width() - CardWidth) / 2, (height() - CardHeight) / 2);
    card->setStyleSheet(
        QStringLiteral("QFrame#inspectorCard { background: white; border-radius: 31px; }"
                       "QLabel { background: transparent; }") +
        QLatin1String(FieldStyle));
    card->raise();
    setMask(DimLayer::roundedRegion(card->geometry(), 31));

    auto *layout = new QVBoxLayout(card);
    layout->setContentsMargins(30, 34, 30, 29);
    layout->setSpacing(0);

    auto *title = new QLabel(
        uiText(QStringLiteral("inspector.new.title"), QStringLiteral("新建检查人")), card);
    title->setStyleSheet(
        QStringLiteral("color: #585656; font-size: 16px; font-weight: bold; background: none;"));
    layout->addWidget(title);
    layout->addSpacing(27);
    auto *separator = new QFrame(card);
    separator->setFixedHeight(1);
    separator->setStyleSheet(QStringLiteral("background: #ededed; border: none;"));
    layout->addWidget(separator);
    layout->addSpacing(22);

    m_idEdit = new QLineEdit(card);
    m_idEdit->setObjectName(QStringLiteral("inspectorIdEdit"));
    m_idEdit->setFixedHeight(51);
    m_idEdit->setPlaceholderText(
        uiText(QStringLiteral("inspector.id.placeholder"), QStringLiteral("请输入检查人ID")));
    QLabel *idLabel = addFieldRow(layout, m_idEdit);
    idLabel->setText(uiText(QStringLiteral("inspector.id"), QStringLiteral("ID")));
    layout->addSpacing(30);

    m_nameEdit = new QLineEdit(card);
    m_nameEdit->setObjectName(QStringLiteral("inspectorNameEdit"));
    m_nameEdit->setFixedHeight(51);
    m_nameEdit->setPlaceholderText(
        uiText(QStringLiteral("inspector.name.placeholder"), QStringLiteral("请输入检查人姓名")));
    QLabel *nameLabel = addFieldRow(layout, m_nameEdit);
    nameLabel->setText(uiText(QStringLiteral("fitter.name"), QStringLiteral("姓名")));
    layout->addSpacing(30);

    m_genderBox = new QComboBox(card);
    m_genderBox->setObjectName(QStringLiteral("inspectorGenderBox"));
    m_genderBox->setFixedHeight(51);
    styleComboPopup(m_genderBox);
    for (const auto &entry : GenderEntries)
        m_genderBox->addItem(uiText(QLatin1String(entry.key), QString::fromUtf8(entry.defaultText)),
                             QString::fromUtf8(entry.stored));
    QLabel *genderLabel = addFieldRow(layout, m_genderBox);
    genderLabel->setText(uiText(QStringLiteral("common.gender"), QStringLiteral("性别")));
    layout->addSpacing(50);

    // The three captions share one column; it grows when a language needs more than 26 px.
    int labelWidth = 26;
    for (QLabel *label : {idLabel, nameLabel, genderLabel})
        labelWidth = std::max(labelWidth, label->sizeHint().width());
    for (QLabel *label : {idLabel, nameLabel, genderLabel})
        label->setFixedWidth(labelWidth);

    auto *buttons = new QHBoxLayout;
    buttons->setContentsMargins(31, 0, 31, 0);
    buttons->setSpacing(40);
    auto *cancel =
        new QPushButton(uiText(QStringLiteral("common.cancel"), QStringLiteral("取消")), card);
    cancel->setObjectName(QStringLiteral("inspectorCancelButton"));
    cancel->setFixedSize(152, 50);
    cancel->setCursor(Qt::PointingHandCursor);
    cancel->setStyleSheet(QStringLiteral(
        "QPushButton { background: white; border: 1px solid #585656; border-radius: 25px;"
        " color: #585656; font-size: 15px; }"
        "QPushButton:hover { border-color: #ec5c0b; color: #ec5c0b; }"));
    auto *ok = new QPushButton(uiText(QStringLiteral("common.ok"), QStringLiteral("确定")), card);
    ok->setObjectName(QStringLiteral("inspectorOkButton"));
    ok->setFixedSize(152, 50);
    ok->setCursor(Qt::PointingHandCursor);
    ok->setStyleSheet(
        QStringLiteral("QPushButton { background: #585656; border: none; border-radius: 25px;"
                       " color: white; font-size: 15px; }"
                       "QPushButton:hover { background: #6a6868; }"));
    buttons->addWidget(cancel);
    buttons->addWidget(ok);
    layout->addLayout(buttons);
    layout->addStretch();

    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(ok, &QPushButton::clicked, this, &InspectorDialog::onConfirm);
    connect(m_genderBox, &QComboBox::currentIndexChanged, this, &InspectorDialog::onGenderChanged);
    m_idEdit->setFocus();
}

QLabel *InspectorDialog::addFieldRow(QVBoxLayout *layout, QWidget *field)
{
    auto *row = new QHBoxLayout;
    row->setSpacing(18);
    auto *label = new QLabel(field->parentWidget());
    label->setStyleSheet(QStringLiteral("color: #333333; font-size: 14px; font-weight: bold;"));
    row->addWidget(label);
    row->addWidget(field, 1);
    layout->addLayout(row);
    return label;
}

void InspectorDialog::onGenderChanged(int index)
{
    m_selectedGender = m_genderBox->itemData(index).toString();
}

void InspectorDialog::onConfirm()
{
    const QString workId = m_idEdit->text().trimmed();
    const QString name = m_nameEdit->text().trimmed();
    QList<Fitter> fitters;
    NewInspector::Problem problem = NewInspector::check(workId, name, fitters);
    // The store is read only once both fields are filled in.
    if (problem == NewInspector::Problem::None) {
        fitters = loadFitters();
        problem = NewInspector::check(workId, name, fitters);
    }
    switch (problem) {
    case NewInspector::Problem::IdMissing:
        showPromptMessage(this, uiText(QStringLiteral("inspector.id_required"),
                                       QStringLiteral("请输入检查人ID。")));
        m_idEdit->setFocus();
        return;
    case NewInspector::Problem::NameMissing:
        showPromptMessage(this, uiText(QStringLiteral("inspector.name_required"),
                                       QStringLiteral("请输入检查人姓名。")));
        m_nameEdit->setFocus();
        return;
    case NewInspector::Problem::IdTaken:
        showPromptMessage(this, uiText(QStringLiteral("inspector.id_duplicate"),
                                       QStringLiteral("检查人ID已存在，请重新输入。")));
        m_idEdit->setFocus();
        return;
    case NewInspector::Problem::None:
        break;
    }

    const Fitter fitter = NewInspector::make(workId, name, m_selectedGender, fitters);
    fitters.append(fitter);
    if (!saveFitters(fitters)) {
        showPromptMessage(this, uiText(QStringLiteral("inspector.save_failed_disk_permission"),
                                       QStringLiteral("检查人保存失败，请检查磁盘权限。")));
        return;
    }
    m_createdFitter = fitter;
    accept();
}
