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

Pagination paginate(const QSize &sheetSize, const QRectF &page)
{
    Pagination result;
    const qreal sheetWidth = std::max(sheetSize.width(), 1);
    const qreal sheetHeight = std::max(sheetSize.height(), 1);
    result.targetWidth = std::max<qreal>(page.width() - 20, 1);
    const qreal targetHeight = std::max<qreal>(page.height() - 32, 1);
    result.scale = result.targetWidth / sheetWidth;
    result.sliceHeight = targetHeight / std::max<qreal>(result.scale, 0.001);
    result.origin = QPointF(page.x() + 10, page.y() + 16);
    for (qreal top = 0; top < sheetHeight - SliceTolerance;) {
        const qreal height = std::min(result.sliceHeight, sheetHeight - top);
        result.slices.append({top, height});
        top += height;
    }
    return result;
}

} // namespace ReportLayout
