#include "stock/SheetGeometry.h"

#include <algorithm>
#include <cmath>

namespace stock {

QPainterPath labelPath(const LabelShape& shape)
{
    const QRectF box(QPointF(0, 0), shape.size.toPt());
    const double radius = shape.radius.toPt();
    const double hole = shape.hole.toPt();
    QPainterPath path;
    switch (shape.kind) {
    case LabelShape::Rectangle: {
        const double corner = std::min({shape.corner.toPt(), box.width() / 2, box.height() / 2});
        path.addRoundedRect(box, corner, corner);
        break;
    }
    case LabelShape::Round:
    case LabelShape::Ellipse: path.addEllipse(box); break;
    case LabelShape::Cd: {
        const QPointF centre = box.center();
        path.addEllipse(centre, radius, radius);
        if (box.width() < 2 * radius || box.height() < 2 * radius) {
            QPainterPath cut;
            cut.addRect(box);
            path = path.intersected(cut);
        }
        QPainterPath holePath;
        holePath.addEllipse(centre, hole, hole);
        path = path.subtracted(holePath);
        break;
    }
    }
    return path;
}

QPainterPath bleedPath(const LabelShape& shape)
{
    const double x = shape.xWaste.toPt();
    const double y = shape.yWaste.toPt();
    if (x <= 0 && y <= 0)
        return labelPath(shape);
    if (shape.kind == LabelShape::Rectangle) {
        const QRectF box(QPointF(0, 0), shape.size.toPt());
        const double corner = std::min({shape.corner.toPt(), box.width() / 2, box.height() / 2});
        QPainterPath path;
        if (corner > 0)
            path.addRoundedRect(box.adjusted(-x, -y, x, y), corner + x, corner + y);
        else
            path.addRect(box.adjusted(-x, -y, x, y));
        return path;
    }
    // Round labels are grown alike all round (their files give one waste).
    QPainterPathStroker stroker;
    stroker.setWidth(2 * std::max(x, y));
    const QPainterPath label = labelPath(shape);
    return label.united(stroker.createStroke(label)).simplified();
}

Placement place(LengthSize designed, LengthSize labelSize, Fit fit)
{
    const QSizeF design = designed.toPt();
    const QSizeF label = labelSize.toPt();
    Placement p;
    // A hundredth of a point is no real overhang.
    p.larger = design.width() > label.width() + 0.01 || design.height() > label.height() + 0.01;
    if (fit == Fit::ShrinkToFit && p.larger)
        p.scale = std::min(label.width() / design.width(), label.height() / design.height());
    const QSizeF size = design * p.scale;
    p.rect = QRectF(QPointF((label.width() - size.width()) / 2, (label.height() - size.height()) / 2), size);
    return p;
}

PageSetup pageSetup(const Product& product)
{
    const LengthSize paper = product.paper;
    const bool landscape = paper.width > paper.height;
    const QSizeF upright = (landscape ? paper.transposed() : paper).toMm();
    // A standard size, where the paper is one to a hundredth of a millimetre,
    // names the printer's paper exactly; any other is kept in millimetres,
    // which a size in points would round to whole points.
    const QPageSize standard(QPageSize::id(upright, QPageSize::Millimeter, QPageSize::FuzzyMatch));
    const QSizeF standardMm = standard.size(QPageSize::Millimeter);
    const bool isStandard = standard.id() != QPageSize::Custom &&
                            std::abs(standardMm.width() - upright.width()) < 0.01 &&
                            std::abs(standardMm.height() - upright.height()) < 0.01;
    return PageSetup{
        isStandard ? standard : QPageSize(upright, QPageSize::Millimeter, QString(), QPageSize::ExactMatch),
        landscape ? QPageLayout::Landscape : QPageLayout::Portrait};
}

}  // namespace stock
