#include "reports/reportprinter.h"

#include "i18n/langmanager.h"
#include "reports/reportlayout.h"

#include <QFontMetricsF>
#include <QLayout>
#include <QPainter>
#include <QPicture>
#include <QPrinter>
#include <QWidget>

#include <cmath>

namespace ReportPrinter {

namespace {

// In sheet units, a little smaller than the sheet's own texts, so that the
// page lines read as page furniture, not as part of the report.
QFont pageLineFont(const QWidget *sheet)
{
    QFont font = sheet->font();
    font.setPixelSize(12);
    font.setBold(false);
    return font;
}

constexpr qreal HeaderGap = 10; // text to rule, rule to the sheet
constexpr qreal FooterGap = 12; // the sheet to the page number

ReportLayout::PageLines pageLines(const QWidget *sheet, const QString &runningHeader)
{
    const qreal line = QFontMetricsF(pageLineFont(sheet)).height();
    return {runningHeader.simplified().isEmpty() ? 0 : line + 2 * HeaderGap, FooterGap + line};
}

QSize sheetSizeOf(QWidget *sheet)
{
    const QSize size = sheet->size();
    return size.width() < 1 || size.height() < 1 ? sheet->sizeHint() : size;
}

// The sheet's side margins, so that the page lines line up with its text.
QMarginsF sideMargins(const QWidget *sheet)
{
    if (!sheet->layout())
        return {};
    const QMargins margins = sheet->layout()->contentsMargins();
    return QMarginsF(margins.left(), 0, margins.right(), 0);
}

// Draws `text` into `rect` (device pixels) in sheet units, so that it comes
// out the size it would have on the sheet.
void drawPageLine(QPainter &painter, const ReportLayout::Pagination &pages, const QRectF &rect,
                  const QWidget *sheet, const QString &text, Qt::Alignment alignment,
                  bool ruleBelow)
{
    painter.save();
    painter.translate(rect.topLeft());
    painter.scale(pages.scale, pages.scale);
    const QRectF area = QRectF(0, 0, rect.width() / pages.scale, rect.height() / pages.scale)
                            .marginsRemoved(sideMargins(sheet));
    const QFont font = pageLineFont(sheet);
    painter.setFont(font);
    painter.setPen(QColor(0x66, 0x66, 0x66));
    const QFontMetricsF metrics(font);
    const qreal lineHeight = metrics.height();
    // Elided with room to spare: the printer's metrics can run a little wider
    // than the screen's.
    const QString shown = metrics.elidedText(text, Qt::ElideRight, area.width() * 0.97);
    const QRectF textRect =
        ruleBelow ? QRectF(area.left(), area.top(), area.width(), lineHeight)
                  : QRectF(area.left(), area.bottom() - lineHeight, area.width(), lineHeight);
    painter.drawText(textRect, int(alignment | Qt::AlignVCenter | Qt::TextSingleLine), shown);
    if (ruleBelow) {
        painter.setPen(QPen(QColor(0xd8, 0xd8, 0xd8), 1));
        const qreal y = textRect.bottom() + HeaderGap;
        painter.drawLine(QPointF(area.left(), y), QPointF(area.right(), y));
    }
    painter.restore();
}

} // namespace

QString pageNumberText(int page, int pages)
{
    return uiText(QStringLiteral("report.page_of"), QStringLiteral("Page %1 of %2"))
        .arg(page)
        .arg(pages);
}

ReportLayout::Pagination pagination(QWidget *sheet, QPagedPaintDevice *printer,
                                    const QList<ReportLayout::Band> &keepWhole,
                                    const QString &runningHeader)
{
    // The painter's origin already sits at the top left of the printable area;
    // adding the area's offset again would push the right edge off the paper.
    const QRectF page(QPointF(0, 0),
                      QSizeF(printer->pageLayout().paintRectPixels(printer->logicalDpiX()).size()));
    return ReportLayout::paginate(sheetSizeOf(sheet), page, keepWhole,
                                  pageLines(sheet, runningHeader));
}

int printSheet(QWidget *sheet, QPagedPaintDevice *printer,
               const QList<ReportLayout::Band> &keepWhole, const QString &runningHeader)
{
    // A PDF writer has no print run to abort or fail; its output is checked
    // where it is written.
    auto *realPrinter = dynamic_cast<QPrinter *>(printer);
    const QSize sheetSize = sheetSizeOf(sheet);
    // A name with line breaks would not stay on its one line.
    const QString header = runningHeader.simplified();
    const ReportLayout::Pagination pages = pagination(sheet, printer, keepWhole, header);

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
        painter.setClipRect(
            QRectF(pages.origin.x(), slice.pageY, pages.targetWidth, pages.scale * slice.height));
        painter.translate(pages.origin.x(), slice.pageY - pages.scale * slice.top);
        painter.scale(pages.scale, pages.scale);
        // Only the widgets of this slice are painted, so each photo goes into
        // the file once per page it appears on, not once per page of the report.
        // The region ends where the slice does: a row starting right below it
        // would otherwise be embedded here too, only to be blanked.
        const int top = int(std::floor(slice.top));
        const QRect source(0, top, sheetSize.width(),
                           int(std::ceil(slice.top + slice.height)) - top);
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
        // The picture brings its own clip, which lets the next photo row show
        // below a page ended early for it; the page lines' room is blanked.
        // One sheet pixel more: a scaled photo's smoothing reaches half a
        // pixel above its top edge, a hairline of the next row.
        const qreal sliceBottom = slice.pageY + pages.scale * (slice.height - 1);
        // Past the paper's edge: the printer's own margin below the printable
        // area would show the row as well.
        const qreal pageBottom = 2 * pages.footerRect.bottom();
        painter.fillRect(
            QRectF(pages.origin.x(), sliceBottom, pages.targetWidth, pageBottom - sliceBottom),
            Qt::white);
        painter.fillRect(QRectF(pages.origin.x(), pages.origin.y(), pages.targetWidth,
                                slice.pageY - pages.origin.y()),
                         Qt::white);
        ++printed;
        if (printed > 1 && !header.isEmpty())
            drawPageLine(painter, pages, pages.headerRect, sheet, header, Qt::AlignLeft, true);
        drawPageLine(painter, pages, pages.footerRect, sheet,
                     pageNumberText(printed, int(pages.slices.size())), Qt::AlignHCenter, false);
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
