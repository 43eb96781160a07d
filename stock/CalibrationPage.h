#pragma once

#include "stock/Product.h"

#include <QLineF>
#include <QList>
#include <QPainterPath>

namespace stock {

// What the calibration page shows for a product, in points from the paper's
// top-left corner: each label's outline, a cross at each label's centre, and
// two rulers of 100 mm through the paper's centre, one across and one down,
// each with a mark every millimetre (longer every 5 and 10 mm). Printed and
// laid on a sheet of the product, it shows how far the printer moves and
// scales what it prints; measured with a ruler, that is its calibration.
struct CalibrationPage {
    static constexpr double kRulerMm = 100;

    QPainterPath outlines;
    QList<QLineF> crosses;  // two lines for each label
    QList<QLineF> rulers;   // the one across, the one down, then their marks

    // Everything on the page, to draw with a hairline pen.
    QPainterPath path() const;
};

CalibrationPage calibrationPage(const Product& product);

}  // namespace stock
