#pragma once

#include "reports/reportlayout.h"

class QPagedPaintDevice;
class QWidget;

// Paints a report sheet onto a printer that has been set up by the print
// dialog, or onto a PDF writer, scaled to the page width and cut into as many
// pages as it needs; each page continues where the previous one was cut.
namespace ReportPrinter {

// The number of pages printed; 0 when the report did not reach the printer
// whole (it could not be opened, a page could not be started, the printer
// reported an error), a printer's run then being aborted. Page breaks keep
// clear of the bands of `keepWhole` where they can.
int printSheet(QWidget *sheet, QPagedPaintDevice *printer,
               const QList<ReportLayout::Band> &keepWhole = {});

} // namespace ReportPrinter
