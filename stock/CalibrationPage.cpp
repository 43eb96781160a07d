#include "stock/CalibrationPage.h"

#include "stock/Calibration.h"
#include "stock/SheetGeometry.h"

#include <algorithm>

namespace stock {

namespace {

constexpr double kCrossMm = 3;      // each arm of a centre's cross
constexpr double kMarginMm = 12;    // kept free of text at the paper's edges, where printers cannot print
constexpr double kGapMm = 4;        // between the ruler down and the text
constexpr double kTextRoomMm = 30;  // the least height the text is given

// How long the mark at `mm` along a ruler is.
double markMm(int mm) { return mm % 10 == 0 ? 5 : mm % 5 == 0 ? 3.5 : 2; }

// A field's name as the tab shows it, without its mnemonic.
QString field(const QString& words) { return QStringLiteral("\u201c%1\u201d").arg(QString(words).remove(u'&')); }

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

CalibrationPage calibrationPage(const Product& product, const QString& printer, QDate date)
{
    CalibrationPage page;
    const QPainterPath label = labelPath(product.shape);
    const double arm = kCrossMm * ui::kPointsPerMm;
    for (const Cell& cell : cells(product)) {
        page.outlines.addPath(label.translated(cell.rect.topLeft()));
        const QPointF c = cell.rect.center();
        page.crosses.append(QLineF(c.x() - arm, c.y(), c.x() + arm, c.y()));
        page.crosses.append(QLineF(c.x(), c.y() - arm, c.x(), c.y() + arm));
    }

    const double length = CalibrationPage::kRulerMm * ui::kPointsPerMm;
    const QPointF centre(product.paper.width.toPt() / 2, product.paper.height.toPt() / 2);
    const QPointF acrossStart(centre.x() - length / 2, centre.y());
    const QPointF downStart(centre.x(), centre.y() - length / 2);
    page.rulers.append(QLineF(acrossStart, acrossStart + QPointF(length, 0)));
    page.rulers.append(QLineF(downStart, downStart + QPointF(0, length)));
    // The marks lie below the ruler across and right of the ruler down.
    for (int mm = 0; mm <= int(CalibrationPage::kRulerMm); ++mm) {
        const double at = mm * ui::kPointsPerMm;
        const double mark = markMm(mm) * ui::kPointsPerMm;
        page.rulers.append(QLineF(acrossStart + QPointF(at, 0), acrossStart + QPointF(at, mark)));
        page.rulers.append(QLineF(downStart + QPointF(0, at), downStart + QPointF(mark, at)));
    }

    page.heading = QStringLiteral("Calibration page for %1 (%2), printer %3, %4")
                       .arg(product.name(), product.description,
                            printer.isEmpty() ? QStringLiteral("not named") : printer, date.toString(Qt::ISODate));
    page.steps = {
        QStringLiteral("1. Lay this page on a sheet of %1 with their edges together and hold both against the "
                       "light, or print this page on a sheet of the labels.")
            .arg(product.name()),
        QStringLiteral("2. At the top-left label, measure how far the printed cross lies from the label's centre. "
                       "Type it in the Label stock tab as %1 (a cross left of the centre: negative) and %2 "
                       "(above the centre: negative).")
            .arg(field(CalibrationWords::right()), field(CalibrationWords::down())),
        QStringLiteral("3. Measure the two rulers, printed 100 mm long, and type their lengths in mm as %1 and %2.")
            .arg(field(CalibrationWords::across()), field(CalibrationWords::downScale())),
        QStringLiteral("Tessera then moves and scales what it prints on this printer to make up for it."),
    };

    // Below the ruler down, away from the top-left label's cross, which is
    // measured, where there is room; else above it; on a small paper over
    // the top of the page.
    const double margin = kMarginMm * ui::kPointsPerMm;
    const double gap = kGapMm * ui::kPointsPerMm;
    const double room = kTextRoomMm * ui::kPointsPerMm;
    const double width = product.paper.width.toPt() - 2 * margin;
    const double belowTop = downStart.y() + length + gap;
    const double below = product.paper.height.toPt() - margin - belowTop;
    const double above = downStart.y() - gap - margin;
    if (below >= room)
        page.textArea = QRectF(margin, belowTop, width, below);
    else
        page.textArea = QRectF(margin, margin, width, std::max(above, room));
    return page;
}

}  // namespace stock
