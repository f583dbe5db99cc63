#pragma once

#include <QSize>
#include <QString>

// The inspection page's sizes for a central area of a given size: every
// reference size (made for 1920×1080) scaled by the width factor sx, the
// height factor sy or the smaller one s, each factor at least 0.55, with a
// floor per size so that nothing becomes unusably small.
struct InspectionMetrics
{
    double sx = 1;
    double sy = 1;
    double s = 1;

    int mainSpacing = 24;
    int mainTop = 20;
    int mainRight = 24;
    int mainBottom = 12;
    int cardSide = 32;
    int cardTop = 28;
    int rowSpacing = 9;
    int actionTop = 38;
    int actionBottom = 32;
    int rightPanelWidth = 262;
    int rightPanelSpacing = 30;
    QSize earButton{119, 121};
    int earRowSpacing = 12;
    int earMarginTop = 22;
    int earMarginBottom = 21;
    QSize leftEarIcon{30, 43};
    QSize rightEarIcon{29, 42};
    int earFontPx = 18;
    int selectAllFontPx = 18;
    int indicatorSize = 22;
    int selectAllSpacing = 5;
    int batchFontPx = 18;
    int photoPanelMinHeight = 651;
    int emptyLabelMinHeight = 571;
    int emptyFontPx = 16;
    // German texts are long: the batch controls take two rows there.
    bool twoRowBatch = false;
    int batchAreaHeight = 30;

    static InspectionMetrics forArea(const QSize &central, const QString &languageCode);
    // base × factor, rounded half away from zero, but at least `minimum`.
    static int scaled(int base, double factor, int minimum);
    // Size of one thumbnail item in a photo list `listWidth` wide (its
    // scroll bar, if any, not subtracted).
    static QSize thumbnailItemSize(int listWidth);
};
