#pragma once

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QString;
class QWidget;

// The settings page's controls in its one look (51 px pills, dark grey
// borders), shared by the page and the sections it holds so that a new
// section cannot drift from the rest.
namespace SettingsFields {

QLabel *label(QWidget *parent);      // a field or section name, bold
QLabel *smallLabel(QWidget *parent); // a hint or a state line
QLineEdit *field(const QString &name, int minimumWidth, int maximumWidth, QWidget *parent);
// Takes the wheel only once clicked, so scrolling the page changes nothing.
QComboBox *combo(const QString &name, QWidget *parent);
QPushButton *pillButton(const QString &name, const char *weight, QWidget *parent);

} // namespace SettingsFields
