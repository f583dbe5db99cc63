#include "settings/settingsfields.h"

#include "ui/common/combopopup.h"
#include "ui/common/wheelguard.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

const char *const ComboStyle =
    "QComboBox {  background:white;  border:1px solid #585656;  border-radius:25px;  "
    "color:#333333;  font-size:14px;  padding:0 42px 0 26px;}QComboBox::drop-down {  "
    "subcontrol-origin: padding;  subcontrol-position: top right;  width:38px;  border:none;}"
    "QComboBox::down-arrow {  image:url(:/res/combo_arrow.png);  width:14px;  height:8px;}";
const char *const FieldStyle =
    "QLineEdit {  background:white;  border:1px solid #585656;  border-radius:25px;  "
    "color:#333333;  font-size:14px;  padding:0 26px;}";
const char *const ButtonStyle =
    "QPushButton {  background:white;  border:1px solid #585656;  border-radius:25px;  "
    "color:#333333;  font-size:14px;  font-weight:%1;  padding:0 26px;}"
    "QPushButton:hover { background:#f7f7f7; }QPushButton:pressed { background:#efefef; }"
    "QPushButton:disabled { color:#aaaaaa; border-color:#cccccc; }";

QLabel *styledLabel(QWidget *parent, const char *style)
{
    auto *label = new QLabel(parent);
    label->setStyleSheet(QLatin1String(style));
    return label;
}

} // namespace

namespace SettingsFields {

QLabel *label(QWidget *parent)
{
    return styledLabel(parent, "QLabel { color:#333333; font-size:14px; font-weight:700; "
                               "background:transparent; border:none; }");
}

QLabel *smallLabel(QWidget *parent)
{
    return styledLabel(parent, "QLabel { color:#585656; font-size:13px; "
                               "background:transparent; border:none; }");
}

QLineEdit *field(const QString &name, int minimumWidth, int maximumWidth, QWidget *parent)
{
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(name);
    edit->setMinimumHeight(51);
    edit->setMinimumWidth(minimumWidth);
    edit->setMaximumWidth(maximumWidth);
    edit->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    edit->setStyleSheet(QLatin1String(FieldStyle));
    return edit;
}

QComboBox *combo(const QString &name, QWidget *parent)
{
    auto *box = new QComboBox(parent);
    box->setObjectName(name);
    box->setMinimumHeight(51);
    box->setMinimumWidth(220);
    box->setMaximumWidth(420);
    box->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    box->setStyleSheet(QLatin1String(ComboStyle));
    styleComboPopup(box);
    WheelGuard::install(box);
    return box;
}

QPushButton *pillButton(const QString &name, const char *weight, QWidget *parent)
{
    auto *button = new QPushButton(parent);
    button->setObjectName(name);
    button->setFixedHeight(51);
    button->setMinimumWidth(132);
    button->setCursor(Qt::PointingHandCursor);
    button->setStyleSheet(QString::fromLatin1(ButtonStyle).arg(QLatin1String(weight)));
    return button;
}

} // namespace SettingsFields
