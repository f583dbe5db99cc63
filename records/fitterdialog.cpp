#include "records/fitterdialog.h"

#include "i18n/langmanager.h"
#include "ui/common/promptdialog.h"

#include <QFrame>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>
#include <QWindow>

#include <algorithm>

namespace {

const char *const EditStyle =
    "QLineEdit {  border: 1px solid #d0d0d0; border-radius: 20px;  padding: 8px 14px; "
    "font-size: 13px; background-color: white;}QLineEdit:focus { border: 1px solid #ff6b35; }";
const char *const SelectedGenderStyle =
    "QPushButton {  background-color: #5a5a5a; border-radius: 18px;  color: white; "
    "font-size: 13px; padding: 6px 16px;  border: 1px solid #5a5a5a;}"
    "QPushButton:hover { background-color: #6a6a6a; }";
const char *const UnselectedGenderStyle =
    "QPushButton {  background-color: white; border-radius: 18px;  color: #555555; "
    "font-size: 13px; padding: 6px 16px;  border: 1px solid #cccccc;}"
    "QPushButton:hover { background-color: #f5f5f5; }";
const char *const CaptionStyle = "font-size: 13px; color: #444444; font-weight: 500; border: none;";

QLabel *caption(QWidget *parent, const QString &text, bool required)
{
    auto *label = new QLabel(parent);
    label->setStyleSheet(QLatin1String(CaptionStyle));
    if (required) {
        label->setTextFormat(Qt::RichText);
        label->setText(
            QStringLiteral("<font color='#ff6b35'>*</font> %1").arg(text.toHtmlEscaped()));
    } else {
        label->setTextFormat(Qt::PlainText);
        label->setText(text);
    }
    return label;
}

// A stored text longer than the edit's typing limit must come back whole, or
// confirming an unrelated change would cut it.
void setWholeText(QLineEdit *edit, const QString &text)
{
    edit->setMaxLength(std::max<int>(edit->maxLength(), text.size()));
    edit->setText(text);
}

QRect availableRoomFor(QWidget *parent)
{
    QScreen *screen = nullptr;
    if (parent && parent->window()->windowHandle())
        screen = parent->window()->windowHandle()->screen();
    if (!screen && parent)
        screen = parent->window()->screen();
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect();
}

} // namespace

FitterDialog::Sizes FitterDialog::sizesFor(const QRect &available)
{
    if (!available.isValid())
        return {QSize(660, 360), QSize(520, 320)};
    const int w = std::min(available.width() - 32, 660);
    const int h = std::min(available.height() - 32, 360);
    return {QSize(w, h), QSize(std::min(w, 520), std::min(h, 320))};
}

FitterDialog::FitterDialog(QWidget *parent, bool editMode, const Fitter &fitter)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint), m_editedFitter(fitter)
{
    setStyleSheet(QStringLiteral("QDialog { background-color: transparent; }"));
    const Sizes sizes = sizesFor(availableRoomFor(parent));
    setMinimumSize(sizes.minimum);
    setFixedSize(sizes.fixed);

    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);
    auto *frame = new QFrame(this);
    frame->setObjectName(QStringLiteral("outerFrame"));
    frame->setStyleSheet(QStringLiteral("QFrame#outerFrame {  background-color: white;  border: "
                                        "2px solid #ff6b35;  border-radius: 4px;}"));
    outer->addWidget(frame);
    auto *layout = new QVBoxLayout(frame);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    auto *titleBar = new QWidget(frame);
    titleBar->setObjectName(QStringLiteral("fitterDialogTitleBar"));
    titleBar->setFixedHeight(52);
    titleBar->setCursor(Qt::SizeAllCursor);
    titleBar->setStyleSheet(QStringLiteral("background-color: white; border: none;"));
    auto *titleLayout = new QHBoxLayout(titleBar);
    titleLayout->setContentsMargins(18, 0, 18, 0);
    titleLayout->setSpacing(8);
    auto *back = new QPushButton(QStringLiteral("←"), titleBar);
    back->setObjectName(QStringLiteral("fitterDialogBackButton"));
    back->setFixedSize(32, 32);
    back->setCursor(Qt::PointingHandCursor);
    back->setStyleSheet(QStringLiteral(
        "QPushButton {  background: transparent; border: none;  color: #ff6b35; "
        "font-size: 20px; font-weight: bold;}QPushButton:hover { color: #ff8555; }"));
    auto *title =
        new QLabel(editMode ? uiText(QStringLiteral("common.action.edit"), QStringLiteral("编辑"))
                            : uiText(QStringLiteral("common.action.add"), QStringLiteral("添加")),
                   titleBar);
    title->setObjectName(QStringLiteral("fitterDialogTitle"));
    title->setStyleSheet(QStringLiteral("font-size: 16px; font-weight: bold; color: #222222; "
                                        "margin-left: 4px; border: none;"));
    titleLayout->addWidget(back);
    titleLayout->addWidget(title);
    titleLayout->addStretch();
    layout->addWidget(titleBar);

    auto *line = new QFrame(frame);
    line->setFixedHeight(1);
    line->setStyleSheet(QStringLiteral("background-color: #e8e8e8; border: none;"));
    layout->addWidget(line);

    auto *form = new QWidget(frame);
    form->setStyleSheet(QStringLiteral("background-color: white; border: none;"));
    auto *grid = new QGridLayout(form);
    grid->setContentsMargins(36, 20, 36, 10);
    grid->setHorizontalSpacing(36);
    grid->setVerticalSpacing(10);
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(1, 1);
    grid->addWidget(
        caption(form, uiText(QStringLiteral("fitter.name"), QStringLiteral("姓名")), true), 0, 0);
    grid->addWidget(
        caption(form,
                uiText(QStringLiteral("fitter.work_or_clinic"), QStringLiteral("工号/诊所名称")),
                false),
        0, 1);
    auto makeEdit = [form](const char *name, const QString &placeholder) {
        auto *edit = new QLineEdit(form);
        edit->setObjectName(QLatin1String(name));
        edit->setFixedHeight(40);
        edit->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        edit->setStyleSheet(QLatin1String(EditStyle));
        edit->setPlaceholderText(placeholder);
        return edit;
    };
    m_nameEdit = makeEdit("fitterNameEdit", uiText(QStringLiteral("fitter.name.placeholder"),
                                                   QStringLiteral("请输入姓名")));
    m_workOrClinicEdit =
        makeEdit("fitterWorkEdit", uiText(QStringLiteral("fitter.work_or_clinic.placeholder"),
                                          QStringLiteral("请输入工号或诊所名称")));
    grid->addWidget(m_nameEdit, 1, 0);
    grid->addWidget(m_workOrClinicEdit, 1, 1);
    // Carries the clinic name through an edit; no field of the card shows it.
    m_clinicEdit = new QLineEdit(this);
    m_clinicEdit->setObjectName(QStringLiteral("fitterClinicEdit"));
    m_clinicEdit->hide();

    grid->addWidget(
        caption(form, uiText(QStringLiteral("common.gender"), QStringLiteral("性别")), false), 2,
        0);
    auto *genderRow = new QWidget(form);
    genderRow->setStyleSheet(QStringLiteral("background: transparent;"));
    auto *genderLayout = new QHBoxLayout(genderRow);
    genderLayout->setContentsMargins(0, 0, 0, 0);
    genderLayout->setSpacing(10);
    auto makeGender = [genderRow, genderLayout](const char *name, const QString &text) {
        auto *button = new QPushButton(text, genderRow);
        button->setObjectName(QLatin1String(name));
        button->setFixedHeight(40);
        button->setCursor(Qt::PointingHandCursor);
        genderLayout->addWidget(button);
        return button;
    };
    m_maleButton =
        makeGender("genderMaleButton",
                   uiText(QStringLiteral("common.gender.male.with_icon"), QStringLiteral("♂ 男")));
    m_femaleButton =
        makeGender("genderFemaleButton", uiText(QStringLiteral("common.gender.female.with_icon"),
                                                QStringLiteral("♀ 女")));
    m_privateButton =
        makeGender("genderPrivateButton", uiText(QStringLiteral("common.gender.private.with_icon"),
                                                 QStringLiteral("★ 保密")));
    genderLayout->addStretch();
    grid->addWidget(genderRow, 3, 0, 1, 2);
    grid->setRowStretch(4, 1);
    layout->addWidget(form, 1);

    auto *buttonBar = new QWidget(frame);
    buttonBar->setStyleSheet(QStringLiteral("background-color: white; border: none;"));
    auto *buttons = new QHBoxLayout(buttonBar);
    buttons->setContentsMargins(36, 10, 36, 20);
    buttons->setSpacing(20);
    auto *cancel =
        new QPushButton(uiText(QStringLiteral("common.cancel"), QStringLiteral("取消")), buttonBar);
    cancel->setObjectName(QStringLiteral("fitterDialogCancelButton"));
    cancel->setFixedSize(150, 42);
    cancel->setCursor(Qt::PointingHandCursor);
    cancel->setStyleSheet(QStringLiteral(
        "QPushButton {  background-color: white; border-radius: 21px;  color: #555555; font-size: "
        "14px; border: 1px solid #cccccc;}QPushButton:hover { background-color: #f5f5f5; }"));
    auto *ok =
        new QPushButton(uiText(QStringLiteral("common.ok"), QStringLiteral("确定")), buttonBar);
    ok->setObjectName(QStringLiteral("fitterDialogOkButton"));
    ok->setFixedSize(150, 42);
    ok->setCursor(Qt::PointingHandCursor);
    ok->setStyleSheet(QStringLiteral(
        "QPushButton {  background-color: #5a5a5a; border-radius: 21px;  color: white; font-size: "
        "14px; font-weight: bold;}QPushButton:hover { background-color: #6a6a6a; }"));
    buttons->addStretch();
    buttons->addWidget(cancel);
    buttons->addWidget(ok);
    buttons->addStretch();
    layout->addWidget(buttonBar);

    connect(back, &QPushButton::clicked, this, &QDialog::reject);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(ok, &QPushButton::clicked, this, &FitterDialog::onConfirm);
    connect(m_maleButton, &QPushButton::clicked, this, [this] { setGender(QStringLiteral("男")); });
    connect(m_femaleButton, &QPushButton::clicked, this,
            [this] { setGender(QStringLiteral("女")); });
    connect(m_privateButton, &QPushButton::clicked, this,
            [this] { setGender(QStringLiteral("保密")); });

    if (editMode) {
        setWholeText(m_nameEdit, fitter.name);
        setWholeText(m_workOrClinicEdit, fitter.workId);
        setWholeText(m_clinicEdit, fitter.clinicName);
        setGender(fitter.gender);
    } else {
        setGender(QStringLiteral("保密"));
    }
}

void FitterDialog::setGender(const QString &value)
{
    m_editedFitter.gender = value;
    const struct
    {
        QPushButton *button;
        const char *stored;
    } buttons[] = {{m_maleButton, "男"}, {m_femaleButton, "女"}, {m_privateButton, "保密"}};
    for (const auto &b : buttons) {
        const bool selected = value == QString::fromUtf8(b.stored);
        b.button->setStyleSheet(
            QLatin1String(selected ? SelectedGenderStyle : UnselectedGenderStyle));
        b.button->setProperty("selected", selected);
    }
}

void FitterDialog::onConfirm()
{
    const QString name = m_nameEdit->text().trimmed();
    if (name.isEmpty()) {
        showPromptMessage(
            this, uiText(QStringLiteral("fitter.name_required"), QStringLiteral("姓名不能为空！")));
        m_nameEdit->setFocus();
        return;
    }
    m_editedFitter.name = name;
    m_editedFitter.workId = m_workOrClinicEdit->text().trimmed();
    m_editedFitter.clinicName = m_clinicEdit->text().trimmed();
    accept();
}

void FitterDialog::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    m_dragging = true;
    m_dragAnchor = event->globalPosition().toPoint() - frameGeometry().topLeft();
    event->accept();
}

void FitterDialog::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_dragging || !(event->buttons() & Qt::LeftButton)) {
        event->ignore();
        return;
    }
    move(event->globalPosition().toPoint() - m_dragAnchor);
    event->accept();
}
