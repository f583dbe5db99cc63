#include "ui/mainwindow/inspectionmetrics.h"

#include <algorithm>
#include <cmath>

int InspectionMetrics::scaled(int base, double factor, int minimum)
{
    return std::max(minimum, int(std::round(base * factor)));
}

InspectionMetrics InspectionMetrics::forArea(const QSize &central, const QString &languageCode)
{
    InspectionMetrics m;
    m.sx = std::max(0.55, central.width() / 1920.0);
    m.sy = std::max(0.55, central.height() / 1080.0);
    m.s = std::min(m.sx, m.sy);
    const bool german = languageCode.startsWith(QLatin1String("de"));

    m.mainSpacing = scaled(24, m.sx, 10);
    m.mainTop = scaled(20, m.sy, 8);
    m.mainRight = scaled(24, m.sx, 10);
    m.mainBottom = scaled(12, m.sy, 6);
    m.cardSide = scaled(32, m.sx, 16);
    m.cardTop = scaled(28, m.sy, 14);
    m.rowSpacing = scaled(9, m.sx, 4);
    m.actionTop = scaled(38, m.sy, 18);
    m.actionBottom = scaled(32, m.sy, 14);
    m.rightPanelWidth = scaled(262, m.sx, 180);
    m.rightPanelSpacing = german ? scaled(22, m.sy, 10) : scaled(30, m.sy, 12);
    m.earButton = QSize(scaled(119, m.sx, 82), scaled(121, m.sy, 82));
    m.earRowSpacing = scaled(12, m.sx, 6);
    m.earMarginTop = scaled(22, m.sy, 10);
    m.earMarginBottom = scaled(21, m.sy, 10);
    m.leftEarIcon = QSize(scaled(30, m.s, 18), scaled(43, m.s, 24));
    m.rightEarIcon = QSize(scaled(29, m.s, 18), scaled(42, m.s, 24));
    m.earFontPx = scaled(18, m.s, 12);
    m.selectAllFontPx = scaled(18, m.s, 12);
    m.indicatorSize = scaled(22, m.s, 16);
    m.selectAllSpacing = scaled(5, m.sx, 2);
    m.batchFontPx = scaled(18, m.s, 12);
    m.photoPanelMinHeight = german ? scaled(620, m.sy, 280) : scaled(651, m.sy, 300);
    m.emptyLabelMinHeight = std::max(160, m.photoPanelMinHeight - scaled(80, m.sy, 40));
    m.emptyFontPx = scaled(16, m.s, 14);
    m.twoRowBatch = german;
    m.batchAreaHeight = german ? 62 : 30;
    return m;
}

QSize InspectionMetrics::thumbnailItemSize(int listWidth)
{
    if (listWidth < 1)
        return {150, 96};
    const int width = std::max(150, listWidth - 8);
    return {width, std::max(96, int(std::round(width * 97.0 / 173.0)))};
}
