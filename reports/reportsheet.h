#pragma once

#include "reports/reportlayout.h"

#include <QFrame>
#include <QList>

struct Customer;
struct ReportConfig;
class QGridLayout;
class QLabel;

// The inspection report of one order as it is shown in the print panel and
// printed: header texts from the report configuration, the customer's data,
// the chosen photos and the report notes. Every text is plain text and wraps,
// so no stored value can widen the sheet or be cut off.
class ReportSheet : public QFrame
{
    Q_OBJECT

public:
    // `photoIndices` are positions in order.photos; `panelWidth` is the width
    // of the print panel, which sets the size of the photo cells.
    ReportSheet(const ReportConfig &config, const Customer &order, const QList<int> &photoIndices,
                int panelWidth, QWidget *parent = nullptr);

    // Gives the sheet `width` and the height its content needs there.
    void fitToWidth(int width);

    // What a page break must not cut, as laid out now: each photo with its
    // name, each text. Photos side by side and texts on one row overlap, and
    // so stay together.
    QList<ReportLayout::Band> keepWhole() const;

    // The line that heads every printed page after the first: customer name
    // and order number.
    QString runningHeader() const { return m_runningHeader; }

private:
    QLabel *addText(const QString &text, const QString &style, bool userText);
    QWidget *buildHeaderRow(const Customer &order);
    QGridLayout *buildCustomerGrid(const Customer &order);
    QWidget *buildPhotoGrid(const Customer &order, const QList<int> &photoIndices, int panelWidth);
    QWidget *buildNotesRow(const ReportConfig &config, const Customer &order);
    void addRule();

    QString m_runningHeader;
};
