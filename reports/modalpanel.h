#pragma once

#include <QDialog>

class QFrame;
class QPushButton;
class QVBoxLayout;

// A frameless modal layer over the whole host window, dimmed at 30 %, with one
// white rounded panel in its centre. The print, notes and about panels build
// their content into panel().
class ModalPanel : public QDialog
{
    Q_OBJECT

public:
    // `panelName` names the panel frame for style sheets and lookups;
    // `panelSizeFor` gives the panel's size for the covered window's size.
    ModalPanel(QWidget *host, const QString &panelName, QSize (*panelSizeFor)(const QSize &));

    QFrame *panel() const { return m_panel; }
    QVBoxLayout *panelLayout() const { return m_layout; }

protected:
    // A pill-shaped button of the panel's action row: dark when `primary`,
    // outlined otherwise.
    QPushButton *actionButton(const QString &text, bool primary, const QString &name,
                              const QSize &size) const;

private:
    QFrame *m_panel = nullptr;
    QVBoxLayout *m_layout = nullptr;
};
