#pragma once

#include "reports/reportlayout.h"

#include <QString>

class QPagedPaintDevice;
class QWidget;

// Paints a report sheet onto a printer that has been set up by the print
// dialog, or onto a PDF writer, scaled to the page width and cut into as many
// pages as it needs; each page continues where the previous one was cut.
// Every page ends with "page N of M"; from the second page on, each opens
// with `runningHeader` on one line, so that a loose page still tells whose
// report it belongs to.
namespace ReportPrinter {

// "Page 2 of 3" in the current language.
QString pageNumberText(int page, int pages);

// The pages `printSheet` prints `sheet` on, with room for the page lines.
ReportLayout::Pagination pagination(QWidget *sheet, QPagedPaintDevice *printer,
                                    const QList<ReportLayout::Band> &keepWhole,
                                    const QString &runningHeader);

// The number of pages printed; 0 when the report did not reach the printer
// whole (it could not be opened, a page could not be started, the printer
// reported an error), a printer's run then being aborted. Page breaks keep
// clear of the bands of `keepWhole` where they can. An empty `runningHeader`
// leaves later pages without a header.
int printSheet(QWidget *sheet, QPagedPaintDevice *printer,
               const QList<ReportLayout::Band> &keepWhole = {}, const QString &runningHeader = {});

} // namespace ReportPrinter
