#include "reports/reportlayout.h"

#include <algorithm>
#include <cmath>

namespace ReportLayout {

namespace {
// Horizontal room the panel takes from the sheet: its side margins and the
// scroll bar.
constexpr int PanelSideMargins = 2 * 47;
constexpr int ScrollBarWidth = 6;
// A remainder this small (in sheet units) is rounding, not a page of its own.
constexpr qreal SliceTolerance = 0.01;
} // namespace

QSize printPanelSize(const QSize &window)
{
    return {std::clamp(window.width() - 48, 760, 988), std::clamp(window.height() - 48, 620, 888)};
}

QSize notesPanelSize(const QSize &window)
{
    return {std::clamp(window.width() - 64, 500, 760), std::clamp(window.height() - 64, 380, 520)};
}

int sheetWidth(int panelWidth)
{
    return panelWidth - PanelSideMargins - ScrollBarWidth;
}

QSize photoCellSize(int panelWidth)
{
    const int available = panelWidth - 180 - 28;
    if (available > 641)
        return {320, 179};
    const int width = available <= 501 ? 250 : available / 2;
    return {width, int(std::lround(width * 97.0 / 173.0))};
}

QString examTime(const QString &createdAt)
{
    QString shown = createdAt.size() > 19 ? createdAt.left(19) : createdAt;
    shown.replace(QLatin1Char('T'), QLatin1Char(' '));
    shown.replace(QLatin1Char('-'), QLatin1Char('.'));
    return shown;
}

QList<Band> joinBands(QList<Band> bands)
{
    std::sort(bands.begin(), bands.end(),
              [](const Band &a, const Band &b) { return a.top < b.top; });
    QList<Band> joined;
    for (const Band &band : bands) {
        if (!joined.isEmpty() && band.top < joined.last().bottom)
            joined.last().bottom = std::max(joined.last().bottom, band.bottom);
        else
            joined.append(band);
    }
    return joined;
}

Pagination paginate(const QSize &sheetSize, const QRectF &page, const QList<Band> &keepWhole,
                    const PageLines &lines)
{
    Pagination result;
    const qreal sheetWidth = std::max(sheetSize.width(), 1);
    const qreal sheetHeight = std::max(sheetSize.height(), 1);
    result.targetWidth = std::max<qreal>(page.width() - 20, 1);
    const qreal targetHeight = std::max<qreal>(page.height() - 32, 1);
    result.scale = result.targetWidth / sheetWidth;
    const qreal pageRoom = targetHeight / std::max<qreal>(result.scale, 0.001);
    result.origin = QPointF(page.x() + 10, page.y() + 16);
    const qreal header = std::max<qreal>(lines.header, 0);
    const qreal footer = std::max<qreal>(lines.footer, 0);
    result.headerRect = QRectF(result.origin, QSizeF(result.targetWidth, result.scale * header));
    result.footerRect =
        QRectF(result.origin.x(), result.origin.y() + targetHeight - result.scale * footer,
               result.targetWidth, result.scale * footer);
    // Lines taller than the page still leave each page a sliver of the sheet,
    // so that the sheet ends after finitely many pages.
    const qreal minimumRoom = pageRoom / 10;
    result.sliceHeight = std::max(pageRoom - footer, minimumRoom);
    const qreal laterRoom = std::max(pageRoom - footer - header, minimumRoom);
    const QList<Band> bands = joinBands(keepWhole);
    for (qreal top = 0; top < sheetHeight - SliceTolerance;) {
        const bool first = result.slices.isEmpty();
        qreal end = std::min(top + (first ? result.sliceHeight : laterRoom), sheetHeight);
        for (const Band &band : bands) {
            if (band.top < end && end < band.bottom) {
                if (band.top > top + SliceTolerance)
                    end = band.top;
                break;
            }
        }
        result.slices.append(
            {top, end - top, result.origin.y() + (first ? 0 : result.scale * header)});
        top = end;
    }
    return result;
}

} // namespace ReportLayout
