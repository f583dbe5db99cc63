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

// One page's part of the sheet, in sheet units.
struct Slice
{
    qreal top;
    qreal height;
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

// How a sheet of `sheetSize` fills pages whose printable rectangle is `page`
// (device pixels): scaled to the page width less 20 px, the slices follow each
// other without gap or overlap. A page ends before a band of `keepWhole`
// (joined) that would otherwise be cut, unless the band starts the page:
// only one taller than a page is cut.
struct Pagination
{
    qreal scale = 1;
    QPointF origin;
    qreal targetWidth = 1;
    qreal sliceHeight = 1;
    QList<Slice> slices;
};
Pagination paginate(const QSize &sheetSize, const QRectF &page, const QList<Band> &keepWhole = {});

} // namespace ReportLayout
