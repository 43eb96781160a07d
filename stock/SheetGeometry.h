#pragma once

#include "stock/Product.h"

#include <QPageLayout>
#include <QPageSize>
#include <QPainterPath>

// Where a design goes on a label, the label's outline for clipping, and the
// page a product is printed on.
namespace stock {

// The label's outline in its cell's own coordinates (points, the cell's
// top-left at 0,0): a rectangle with its rounded corners, a disc, an ellipse,
// or a CD label: a disc (cut to the cell when clipped) less its centre hole.
QPainterPath labelPath(const LabelShape& shape);
// The label's shape grown by its waste, where a background may bleed: the
// same as labelPath without waste.
QPainterPath bleedPath(const LabelShape& shape);

enum class Fit {
    ShrinkToFit,  // scaled down uniformly until it fits the label; never enlarged
    ActualSize,   // printed at 100 %, centred; the caller clips it to the label
};

struct Placement {
    QRectF rect;          // the design's printed image in the cell's coordinates, centred
    double scale = 1;     // 1 is actual size
    bool larger = false;  // the design at actual size is wider or taller than the label

    double percent() const { return scale * 100; }
};

// A design of size `design` on a label of size `label`; the placement is in
// the cell's points.
Placement place(LengthSize design, LengthSize label, Fit fit);

// The page a product's sheets are printed on: its paper, exactly, upright, a
// standard size where it is one, turned to landscape when the paper is wider
// than tall.
struct PageSetup {
    QPageSize size;
    QPageLayout::Orientation orientation = QPageLayout::Portrait;
};

PageSetup pageSetup(const Product& product);

}  // namespace stock
