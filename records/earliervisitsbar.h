#pragma once

#include "records/store/customer.h"

#include <QList>
#include <QWidget>

class QHBoxLayout;
class QLabel;

// The customer's earlier visits on the order detail page, newest first: one
// button per visit (its date, order number and number of photos) that opens
// the comparison with it. Hidden when there are none.
class EarlierVisitsBar : public QWidget
{
    Q_OBJECT

public:
    // At most this many buttons; the comparison's lists reach every visit.
    static constexpr int MaxShown = 6;

    explicit EarlierVisitsBar(QWidget *parent = nullptr);
    void setVisits(const QList<Customer> &earlier);

signals:
    void compareRequested(int visit);

private:
    void rebuild();

    QList<Customer> m_visits;
    QLabel *m_title = nullptr;
    QHBoxLayout *m_row = nullptr;
    QList<QWidget *> m_buttons;
};
