#include "stock/CalibrationPage.h"

#include "stock/SheetGeometry.h"

namespace stock {

namespace {

constexpr double kCrossMm = 3;  // each arm of a centre's cross

// How long the mark at `mm` along a ruler is.
double markMm(int mm) { return mm % 10 == 0 ? 5 : mm % 5 == 0 ? 3.5 : 2; }

}  // namespace

QPainterPath CalibrationPage::path() const
{
    QPainterPath out = outlines;
    for (const QList<QLineF>* lines : {&crosses, &rulers}) {
        for (const QLineF& line : *lines) {
            out.moveTo(line.p1());
            out.lineTo(line.p2());
        }
    }
    return out;
}

CalibrationPage calibrationPage(const Product& product)
{
    CalibrationPage page;
    const QPainterPath label = labelPath(product.shape);
    const double arm = kCrossMm * kPointsPerMm;
    for (const Cell& cell : cells(product)) {
        page.outlines.addPath(label.translated(cell.rect.topLeft()));
        const QPointF c = cell.rect.center();
        page.crosses.append(QLineF(c.x() - arm, c.y(), c.x() + arm, c.y()));
        page.crosses.append(QLineF(c.x(), c.y() - arm, c.x(), c.y() + arm));
    }

    const double length = CalibrationPage::kRulerMm * kPointsPerMm;
    const QPointF centre(product.paper.width() / 2, product.paper.height() / 2);
    const QPointF acrossStart(centre.x() - length / 2, centre.y());
    const QPointF downStart(centre.x(), centre.y() - length / 2);
    page.rulers.append(QLineF(acrossStart, acrossStart + QPointF(length, 0)));
    page.rulers.append(QLineF(downStart, downStart + QPointF(0, length)));
    // The marks lie below the ruler across and right of the ruler down.
    for (int mm = 0; mm <= int(CalibrationPage::kRulerMm); ++mm) {
        const double at = mm * kPointsPerMm;
        const double mark = markMm(mm) * kPointsPerMm;
        page.rulers.append(QLineF(acrossStart + QPointF(at, 0), acrossStart + QPointF(at, mark)));
        page.rulers.append(QLineF(downStart + QPointF(0, at), downStart + QPointF(mark, at)));
    }
    return page;
}

}  // namespace stock
