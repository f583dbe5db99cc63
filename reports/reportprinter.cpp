#include "reports/reportprinter.h"

#include "reports/reportlayout.h"

#include <QPainter>
#include <QPicture>
#include <QPrinter>
#include <QWidget>

#include <cmath>

namespace ReportPrinter {

int printSheet(QWidget *sheet, QPagedPaintDevice *printer,
               const QList<ReportLayout::Band> &keepWhole)
{
    // A PDF writer has no print run to abort or fail; its output is checked
    // where it is written.
    auto *realPrinter = dynamic_cast<QPrinter *>(printer);
    // The painter's origin already sits at the top left of the printable area;
    // adding the area's offset again would push the right edge off the paper.
    const QRectF page(QPointF(0, 0),
                      QSizeF(printer->pageLayout().paintRectPixels(printer->logicalDpiX()).size()));
    QSize sheetSize = sheet->size();
    if (sheetSize.width() < 1 || sheetSize.height() < 1)
        sheetSize = sheet->sizeHint();
    const ReportLayout::Pagination pages = ReportLayout::paginate(sheetSize, page, keepWhole);

    // The frame drawn around the preview does not belong on paper.
    const QString screenStyle = sheet->styleSheet();
    sheet->setStyleSheet(QStringLiteral("QFrame#reportSheet { background:white; border:none; }"));

    QPainter painter;
    if (!painter.begin(printer)) {
        sheet->setStyleSheet(screenStyle);
        return 0;
    }
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing |
                           QPainter::SmoothPixmapTransform);
    int printed = 0;
    bool complete = true;
    for (const ReportLayout::Slice &slice : pages.slices) {
        if (printed > 0 && !printer->newPage()) {
            complete = false;
            break;
        }
        painter.save();
        painter.setClipRect(QRectF(pages.origin.x(), pages.origin.y(), pages.targetWidth,
                                   pages.scale * slice.height));
        painter.translate(pages.origin.x(), pages.origin.y() - pages.scale * slice.top);
        painter.scale(pages.scale, pages.scale);
        // Only the widgets of this slice are painted, so each photo goes into
        // the file once per page it appears on, not once per page of the report.
        const int top = int(std::floor(slice.top));
        const QRect source(0, top, sheetSize.width(),
                           int(std::ceil(slice.top + slice.height)) - top + 1);
        // Rendered straight onto a printer, Qt would paint the widgets into
        // one page-sized bitmap. Recorded as a picture first, the text stays
        // text and each photo goes to the printer at its own resolution.
        QPicture picture;
        QPainter recorder(&picture);
        sheet->render(&recorder, source.topLeft(), QRegion(source), QWidget::DrawChildren);
        recorder.end();
        // A picture plays back at the target's resolution; undo that, the
        // scale above already maps the sheet onto the page.
        painter.scale(qreal(picture.logicalDpiX()) / printer->logicalDpiX(),
                      qreal(picture.logicalDpiY()) / printer->logicalDpiY());
        painter.drawPicture(0, 0, picture);
        painter.restore();
        ++printed;
    }
    // Half a report must not come out of the printer as if it were all of it.
    if (!complete && realPrinter)
        realPrinter->abort();
    complete = painter.end() && complete;
    if (realPrinter)
        complete = complete && realPrinter->printerState() != QPrinter::Error &&
                   realPrinter->printerState() != QPrinter::Aborted;
    sheet->setStyleSheet(screenStyle);
    return complete ? printed : 0;
}

} // namespace ReportPrinter
