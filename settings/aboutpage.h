#pragma once

#include <QWidget>

class QLabel;
class QPushButton;

// Page 5: product name, a short description, the notices on Qt, the LGPL
// version 3 and other components, and a rights line.
class AboutPage : public QWidget
{
    Q_OBJECT

public:
    explicit AboutPage(QWidget *parent = nullptr);

signals:
    void backRequested();

public slots:
    void retranslate();

private:
    QLabel *addNoticeCard(QWidget *parent, QLabel **title);

    QPushButton *m_backButton = nullptr;
    QLabel *m_title = nullptr;
    QLabel *m_productName = nullptr;
    QLabel *m_subtitle = nullptr;
    QLabel *m_qtTitle = nullptr;
    QLabel *m_qtBody = nullptr;
    QLabel *m_lgplTitle = nullptr;
    QLabel *m_lgplBody = nullptr;
    QLabel *m_componentsTitle = nullptr;
    QLabel *m_componentsBody = nullptr;
    QLabel *m_copyright = nullptr;
};
