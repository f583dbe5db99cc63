#pragma once

#include <QByteArray>
#include <QImage>
#include <QList>

// How sharp a frame is: the variance of the Laplacian of its brightness. A
// blurred picture has soft edges, so its second derivative is small
// everywhere. Measured on a reduced decode (libjpeg scales while it decodes,
// skipping most of the inverse transform), which also averages away the
// sensor noise that would otherwise pass for detail.
namespace FocusMeasure {

// One pixel per 4×4 of the frame: a 1080p frame is measured at 480×270.
constexpr int Reduction = 4;

// The brightness of `jpeg` reduced by `reduction` (1, 2, 4 or 8) as
// Format_Grayscale8, or null when it does not decode.
QImage reducedBrightness(const QByteArray &jpeg, int reduction = Reduction);
// The variance of the 4-neighbour Laplacian over the inner pixels; 0 for a
// picture smaller than 3×3.
double laplacianVariance(const QImage &brightness);
// The measure of one frame; negative when it does not decode.
double score(const QByteArray &jpeg);

// A frame within this share of the sharpest counts as sharp as it: of
// those, the newest is taken, the one closest to what the user saw.
constexpr double Tolerance = 0.05;
// The index of the frame to keep among `scores` (oldest first): the newest
// of those close to the highest. -1 when none was measured (all negative).
int choose(const QList<double> &scores);

} // namespace FocusMeasure
