#pragma once

#include "stock/Product.h"

#include <QDate>
#include <QLineF>
#include <QList>
#include <QPainterPath>
#include <QRectF>
#include <QStringList>

namespace stock {

// What the calibration page shows for a product, in points from the paper's
// top-left corner: each label's outline, a cross at each label's centre, and
// two rulers of 100 mm through the paper's centre, one across and one down,
// each with a mark every millimetre (longer every 5 and 10 mm). Printed and
// laid on a sheet of the product, it shows how far the printer moves and
// scales what it prints; measured with a ruler, that is its calibration.
// Its text says what the page is (the product, the printer, the day) and
// how to measure it.
struct CalibrationPage {
    static constexpr double kRulerMm = 100;

    QPainterPath outlines;
    QList<QLineF> crosses;  // two lines for each label
    QList<QLineF> rulers;   // the one across, the one down, then their marks

    QString heading;
    QStringList steps;
    QRectF textArea;  // where the text goes, below or above the ruler down

    // Everything on the page but the text, to draw with a hairline pen.
    QPainterPath path() const;
};

// The page of `product` for the printer queue `printer`, printed on `date`.
CalibrationPage calibrationPage(const Product& product, const QString& printer, QDate date);

}  // namespace stock
