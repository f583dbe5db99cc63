#pragma once

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

private:
    ReportSheet *m_sheet = nullptr;
};
