#pragma once

#include <QList>
#include <QPointF>
#include <QRectF>
#include <QSize>
#include <QString>

// Sizes of the report panels and sheet, and how a sheet is cut into printed
// pages. Plain arithmetic, so that it can be checked without a printer.
namespace ReportLayout {

// The print panel inside a host window of `window` size.
QSize printPanelSize(const QSize &window);
// The notes panel inside a host window of `window` size.
QSize notesPanelSize(const QSize &window);
// Width of the report sheet inside a print panel `panelWidth` wide (panel
// margins and the scroll bar taken off).
int sheetWidth(int panelWidth);
// On-screen size of one photo cell of the sheet, from the print panel's width.
QSize photoCellSize(int panelWidth);

// The exam time as the report shows it: "2025.03.04 10:11:12".
QString examTime(const QString &createdAt);

// One page's part of the sheet, in sheet units, and the device y on its page
// where it is drawn (as the pagination's origin).
struct Slice
{
    qreal top;
    qreal height;
    qreal pageY = 0;
};

// A stretch of the sheet not to be cut by a page break (a photo row with its
// captions, a line of text), in sheet units.
struct Band
{
    qreal top;
    qreal bottom;
};

// Overlapping bands joined into one, sorted from the top.
QList<Band> joinBands(QList<Band> bands);

// Room, in sheet units, for the lines printed around the sheet: the header
// that repeats from the second page on (the first page opens with the sheet's
// own header) and the footer of every page.
struct PageLines
{
    qreal header = 0;
    qreal footer = 0;
};

// How a sheet of `sheetSize` fills pages whose printable rectangle is `page`
// (device pixels): scaled to the page width less 20 px, the slices follow each
// other without gap or overlap, each page giving up the room of `lines`. A
// page ends before a band of `keepWhole` (joined) that would otherwise be cut,
// unless the band starts the page: only one taller than a page is cut.
// `sliceHeight` is the first page's room; `headerRect` and `footerRect` are in
// device pixels, the same on every page that has them.
struct Pagination
{
    qreal scale = 1;
    QPointF origin;
    qreal targetWidth = 1;
    qreal sliceHeight = 1;
    QRectF headerRect;
    QRectF footerRect;
    QList<Slice> slices;
};
Pagination paginate(const QSize &sheetSize, const QRectF &page, const QList<Band> &keepWhole = {},
                    const PageLines &lines = {});

} // namespace ReportLayout
