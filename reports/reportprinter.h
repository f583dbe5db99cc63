#pragma once

class QPrinter;
class QWidget;

// Paints a report sheet onto a printer that has been set up (by the print
// dialog, or as a PDF file), scaled to the page width and cut into as many
// pages as it needs; each page continues where the previous one was cut.
namespace ReportPrinter {

// The number of pages painted; 0 when the printer could not be opened.
int printSheet(QWidget *sheet, QPrinter *printer);

} // namespace ReportPrinter
