#include "records/earliervisitsbar.h"

#include "i18n/langmanager.h"
#include "records/orderdisplay.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

EarlierVisitsBar::EarlierVisitsBar(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("earlierVisitsBar"));
    m_row = new QHBoxLayout(this);
    m_row->setContentsMargins(12, 0, 0, 0);
    m_row->setSpacing(10);
    m_title = new QLabel(this);
    m_title->setStyleSheet(QStringLiteral(
        "QLabel { color:#333333; font-size:14px; font-weight:bold; background:transparent; }"));
    m_row->addWidget(m_title);
    m_row->addStretch();
    connect(LangManager::instance(), &LangManager::languageChanged, this,
            &EarlierVisitsBar::rebuild);
    hide();
}

void EarlierVisitsBar::setVisits(const QList<Customer> &earlier)
{
    m_visits = earlier;
    rebuild();
}

void EarlierVisitsBar::rebuild()
{
    m_title->setText(
        uiText(QStringLiteral("order_detail.earlier_visits"), QStringLiteral("Earlier visits")));
    qDeleteAll(m_buttons);
    m_buttons.clear();
    setVisible(!m_visits.isEmpty());
    const QString format =
        uiText(QStringLiteral("order_detail.earlier_visit"), QStringLiteral("%1 · %2 · %3 photos"));
    for (int i = 0; i < m_visits.size() && i < MaxShown; ++i) {
        const Customer &visit = m_visits.at(i);
        const QString text =
            format
                .arg(OrderDisplay::listCreatedAt(visit.createdAt).left(10),
                     OrderDisplay::singleLine(OrderDisplay::orDash(visit.orderNumber)).left(40))
                .arg(visit.photos.size());
        auto *button = new QPushButton(text, this);
        button->setObjectName(QStringLiteral("earlierVisitButton"));
        button->setCursor(Qt::PointingHandCursor);
        button->setFixedHeight(32);
        button->setEnabled(!visit.photos.isEmpty());
        button->setToolTip(uiText(QStringLiteral("order_detail.earlier_visit.tooltip"),
                                  QStringLiteral("Compare with this visit")));
        button->setStyleSheet(QStringLiteral(
            "QPushButton { background:#f5f5f5; color:#585656; font-size:13px; border:1px solid "
            "#dddddd; border-radius:16px; padding:0 14px; }"
            "QPushButton:hover { border-color:#ec5c0b; color:#ec5c0b; }"
            "QPushButton:disabled { color:#aaaaaa; }"));
        connect(button, &QPushButton::clicked, this, [this, i] { emit compareRequested(i); });
        m_row->insertWidget(1 + i, button);
        m_buttons.append(button);
    }
}
