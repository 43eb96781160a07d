#pragma once

#include <QPointF>
#include <QRect>

// The one place that knows how units relate. Every design number is in
// twips (1440 to the inch). On screen one device-independent pixel (1/96
// inch) is 15 twips. Paper is measured in points (72 to the inch) and
// millimetres.
namespace ui {

constexpr int kTwipsPerInch = 1440;
constexpr int kTwipsPerPixel = 15;
constexpr double kMmPerInch = 25.4;
constexpr double kPointsPerInch = 72;
constexpr double kPointsPerMm = kPointsPerInch / kMmPerInch;
constexpr double kPixelsPerInch = double(kTwipsPerInch) / kTwipsPerPixel;  // 96

constexpr int px(int twips) { return twips / kTwipsPerPixel; }
constexpr double pxF(double twips) { return twips / kTwipsPerPixel; }
constexpr double twipsToMm(double twips) { return twips * kMmPerInch / kTwipsPerInch; }
constexpr double mmToTwips(double mm) { return mm * kTwipsPerInch / kMmPerInch; }
constexpr double mmToPx(double mm) { return mmToTwips(mm) / kTwipsPerPixel; }
constexpr double pxToMm(double pixels) { return twipsToMm(pixels * kTwipsPerPixel); }

// A rectangle given in twips (left, top, width, height) as pixels.
inline QRect pxRect(int left, int top, int width, int height)
{
    return QRect(px(left), px(top), px(width), px(height));
}

inline QPointF pxPoint(double x, double y) { return QPointF(pxF(x), pxF(y)); }

}  // namespace ui
