#pragma once

#include <QString>

// Sizes of the order list and the order detail page that follow the available
// width or the language.
namespace OrderLayout {

constexpr int CardMinimumWidth = 320;
constexpr int CardSpacing = 24;
constexpr int PhotoItemWidth = 220;

// Card columns for a scroll viewport `viewportWidth` wide (negative: no
// viewport yet): 1 to 3.
int cardColumns(int viewportWidth);
// Photo columns of the detail page for `availableWidth` between the grid's
// margins: at least 1.
int photoColumns(int availableWidth, int spacing);

// German texts run longer: several buttons widen and fonts shrink a little.
struct OrderPageMetrics
{
    int newOrderButtonWidth;
    int selectAllButtonWidth;
    int deleteAllButtonWidth;
    int fieldPadding;
    int fieldFontSize;
    int cardLinkFontSize;
    int cardCreatedFontSize;
};
OrderPageMetrics orderPageMetrics(const QString &languageCode);
// Font size of the detail page's "View" buttons.
int photoViewButtonFontSize(const QString &languageCode);

} // namespace OrderLayout
