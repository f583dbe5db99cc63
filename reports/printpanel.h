#pragma once

#include "records/store/customer.h"
#include "reports/modalpanel.h"

class OrderDetailPage;
class ReportSheet;

// The print panel over the main window: a preview of the report sheet of the
// detail page's order with the photos checked there, Cancel and Print.
class PrintPanel : public ModalPanel
{
    Q_OBJECT

public:
    explicit PrintPanel(OrderDetailPage *page);

    // Runs the panel for the page's order; with no photo checked it only
    // tells the user that one is needed.
    static void open(OrderDetailPage *page);

    ReportSheet *sheet() const { return m_sheet; }

public slots:
    // Asks for a printer through the platform's print dialog, prints the
    // sheet and closes the panel; a cancelled dialog leaves the panel open.
    void printReportSheet();
    // Asks for a file name, proposing "<order number>_<exam date>.pdf" in the
    // last folder used, and saves the sheet there as a PDF; the panel stays
    // open after a failure, which the user is told about.
    void onSavePdfClicked();

private:
    ReportSheet *m_sheet = nullptr;
    Customer m_order;
};
