#include "records/orderlayout.h"

#include <algorithm>

namespace OrderLayout {

static bool isGerman(const QString &languageCode)
{
    return languageCode.startsWith(QLatin1String("de"));
}

int cardColumns(int viewportWidth)
{
    const int available = viewportWidth < 0 ? 960 : std::max(CardMinimumWidth, viewportWidth);
    const int columns = std::min(3, (available + CardSpacing) / (CardMinimumWidth + CardSpacing));
    return columns < 2 ? 1 : columns;
}

int photoColumns(int availableWidth, int spacing)
{
    const int available = std::max(PhotoItemWidth, availableWidth);
    return std::max(1, (available + spacing) / (spacing + PhotoItemWidth));
}

OrderPageMetrics orderPageMetrics(const QString &languageCode)
{
    if (isGerman(languageCode))
        return {156, 112, 122, 12, 12, 11, 12};
    return {120, 90, 106, 16, 13, 12, 13};
}

int photoViewButtonFontSize(const QString &languageCode)
{
    return isGerman(languageCode) ? 10 : 12;
}

} // namespace OrderLayout
