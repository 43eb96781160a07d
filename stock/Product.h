#pragma once

#include "ui/Length.h"

#include <QList>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QStringList>
#include <optional>

// Label stock: sheets (or rolls) of die-cut labels as the label-product
// database describes them. Every position is counted from the paper's
// physical top-left corner; a cell's rectangle is in points, as its page is
// painted.
namespace stock {

using ui::Length;
using ui::LengthSize;

// Less than a label's height (every label is 1 mm or taller, and labels
// overlap by a tenth of their size at most), more than the makers' rounding.
constexpr Length kRowTolerance = Length::mm(0.5);

// The shape of one label. Its bounding box is `size`: a round label and an
// unclipped CD label are 2 x radius square; a clipped CD label is narrower or
// shorter than its disc, which stays centred in the box.
struct LabelShape {
    enum Kind { Rectangle, Round, Ellipse, Cd };
    Kind kind = Rectangle;
    LengthSize size;
    Length corner;  // Rectangle: radius of its rounded corners
    Length radius;  // Round, Cd: radius of the disc
    Length hole;    // Cd: radius of the centre hole
    Length xWaste;  // how far printing may bleed past the label
    Length yWaste;
    // How far printing keeps inside the label's edge (and a CD label's hole),
    // where the product says.
    std::optional<Length> margin;
};

// A grid of equal labels: nx across, ny down, the first one's top-left at
// (x0, y0), the next ones dx and dy further on.
struct Layout {
    int nx = 1;
    int ny = 1;
    Length x0;
    Length y0;
    Length dx;
    Length dy;

    friend bool operator==(const Layout&, const Layout&) = default;
};

struct Product {
    QString brand;
    QString part;
    QString description;
    QString paperId;  // an id of the paper sizes, or "Other" for a size of its own
    LengthSize paper;
    QStringList categories;  // category ids, "media" among them for diskette, Zip and CD stock
    bool mirrored = false;   // printed mirror-inverted (film applied from its back)
    LabelShape shape;
    QList<Layout> layouts;  // no two alike
    // How far the labels reach past the paper's edge (they are cut there when
    // printed), at most kOverhangAllowed; 0 where they lie on the paper.
    Length overhang;
    QString sameAs;  // for a product sold under another part number: that part, else empty
    QString file;    // where it was read
    qint64 line = 0;

    QString name() const { return brand + QLatin1Char(' ') + part; }
    bool isMedia() const { return categories.contains(QLatin1String("media")); }
    int cellCount() const;
};

// One label on a sheet. Numbers run as the labels lie on the paper, whatever
// layout each belongs to: row by row from the top, each row left to right;
// labels whose tops are within kRowTolerance of the row's first are in its
// row. Layout, and the row and column within it, count from 1 ("row 2,
// column 1").
struct Cell {
    int number = 0;
    int layout = 0;
    int row = 0;
    int column = 0;
    QRectF rect;  // the label's bounding box on the page
};

QList<Cell> cells(const Product& product);

}  // namespace stock

Q_DECLARE_TYPEINFO(stock::Layout, Q_PRIMITIVE_TYPE);
Q_DECLARE_TYPEINFO(stock::Product, Q_RELOCATABLE_TYPE);
Q_DECLARE_TYPEINFO(stock::Cell, Q_PRIMITIVE_TYPE);
