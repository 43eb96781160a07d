#include "stock/SheetPrinting.h"

#include "platform/Printable.h"
#include "stock/CalibrationPage.h"
#include "stock/SheetGeometry.h"
#include "ui/Error.h"
#include "ui/Units.h"

#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <QPainter>

namespace stock {

namespace {

ui::Error printerError(const QString& why)
{
    return ui::Error::of(ui::Error::PrinterError,
                         ui::standardDescription(ui::Error::PrinterError) + QStringLiteral(": ") + why);
}

// A painter on the device's first page, or an error.
void begin(QPainter& painter, QPagedPaintDevice& device)
{
    if (!painter.begin(&device))
        throw printerError(QStringLiteral("the page could not be started"));
}

void nextPage(QPagedPaintDevice& device)
{
    if (!device.newPage())
        throw printerError(QStringLiteral("the next page could not be started"));
}

void finish(QPainter& painter)
{
    if (!painter.end())
        throw printerError(QStringLiteral("the page could not be finished"));
}

// Sets the painter to points from the paper's physical corner, whatever
// margins the device's layout keeps.
void toPaperPoints(QPainter& painter, const QPagedPaintDevice& device)
{
    painter.resetTransform();
    painter.scale(device.logicalDpiX() / 72.0, device.logicalDpiY() / 72.0);
    const QPageLayout layout = device.pageLayout();
    painter.translate(-layout.paintRect(QPageLayout::Point).topLeft());
}

// One label on plain paper: at its size, top-left at the printable area's.
void paintPlain(QPainter& painter, const QPagedPaintDevice& device, const platform::Printable& label)
{
    painter.resetTransform();
    painter.scale(device.logicalDpiX() / ui::kMmPerInch, device.logicalDpiY() / ui::kMmPerInch);
    label.paint(painter, QRectF(QPointF(), label.size().toMm()));
}

// How far a label placed on `shape` may bleed past each of its edges, in
// the label's millimetres: by the shape's waste, on the sides where the
// label reaches the shape's edge (a label smaller than its shape keeps its
// own edges there).
QMarginsF bleedMargins(const LabelShape& shape, const Placement& placement)
{
    const double x = shape.xWaste.toPt();
    const double y = shape.yWaste.toPt();
    if (x <= 0 && y <= 0)
        return {};
    const QRectF box(QPointF(0, 0), shape.size.toPt());
    const QRectF& label = placement.rect;
    constexpr double kSlack = 0.01;  // points
    const double perMm = placement.scale * ui::kPointsPerMm;
    return QMarginsF(
        label.left() <= box.left() + kSlack ? x / perMm : 0, label.top() <= box.top() + kSlack ? y / perMm : 0,
        label.right() >= box.right() - kSlack ? x / perMm : 0, label.bottom() >= box.bottom() - kSlack ? y / perMm : 0);
}

}  // namespace

void paintInCell(QPainter& painter, const Product& product, const Cell& cell, const platform::Printable& label,
                 const Choice& choice)
{
    const QPainterPath shape = labelPath(product.shape);
    const ui::LengthSize size = label.size();
    // A disc is made for its label: at its size, on the label's centre,
    // which is its disc's.
    const Placement placement = place(size, product.shape.size, label.isDisc() ? Fit::ActualSize : choice.fit);
    painter.save();
    painter.translate(cell.rect.topLeft());
    if (product.mirrored) {
        painter.translate(cell.rect.width(), 0);
        painter.scale(-1, 1);
    }
    // The label's own place, in its millimetres.
    const auto toLabel = [&] {
        painter.translate(placement.rect.topLeft());
        painter.scale(placement.scale * ui::kPointsPerMm, placement.scale * ui::kPointsPerMm);
    };
    const QRectF mm(QPointF(), size.toMm());
    if (const QMarginsF bleed = bleedMargins(product.shape, placement); !bleed.isNull()) {
        painter.save();
        painter.setClipPath(bleedPath(product.shape), Qt::IntersectClip);
        toLabel();
        label.paintBleed(painter, mm, bleed);
        painter.restore();
    }
    painter.setClipPath(shape, Qt::IntersectClip);
    toLabel();
    label.paint(painter, mm);
    painter.restore();
    if (choice.outline) {
        painter.save();
        painter.setPen(QPen(Qt::black, 0));
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(shape.translated(cell.rect.topLeft()));
        painter.restore();
    }
}

PrintedCells paintSheets(QPagedPaintDevice& device, const QList<const platform::Printable*>& labels,
                         const Choice& choice)
{
    qsizetype given = 0;
    return paintSheets(device,
                       LabelStream{labels.size(), [&]() { return given < labels.size() ? labels[given++] : nullptr; }},
                       choice);
}

PrintedCells paintSheets(QPagedPaintDevice& device, const LabelStream& labels, const Choice& choice)
{
    if (choice.copies < 1 || choice.copies > kMaxCopies)
        throw printerError(QStringLiteral("%1 copies cannot be printed").arg(choice.copies));
    const qint64 most = qint64(labels.most) * choice.copies;
    if (most > kMaxLabels)
        throw printerError(
            QStringLiteral("%1 labels cannot be printed in one print, at most %2").arg(most).arg(kMaxLabels));
    // Each label's copies in turn; null after the last.
    const platform::Printable* label = nullptr;
    int copiesLeft = 0;
    const auto nextCopy = [&]() -> const platform::Printable* {
        if (copiesLeft == 0) {
            label = labels.next();
            copiesLeft = label ? choice.copies : 0;
        }
        if (label)
            --copiesLeft;
        return label;
    };
    PrintedCells printed;
    const platform::Printable* copy = nextCopy();
    if (!copy)
        return printed;

    QPainter painter;
    if (choice.plainPaper()) {
        begin(painter, device);
        for (; copy; copy = nextCopy()) {
            if (printed.pages++ > 0)
                nextPage(device);
            paintPlain(painter, device, *copy);
        }
        finish(painter);
        return printed;
    }

    const Product& product = *choice.product;
    if (choice.cells && (choice.copies != 1 || choice.cells->size() != labels.most))
        throw printerError(QStringLiteral("%1 labels cannot go in %2 cells").arg(most).arg(choice.cells->size()));
    const std::optional<PrintRun> run = choice.runOf(most);
    if (!run)
        throw printerError(QStringLiteral("%1 labels from label %2 cannot be printed on %3")
                               .arg(most)
                               .arg(choice.firstCell)
                               .arg(product.name()));
    const QList<Cell> sheet = cells(product);
    const QTransform calibration = choice.calibration.transform();
    begin(painter, device);
    int painted = 0;
    for (const QList<int>& page : run->pages) {
        if (!copy)
            break;
        if (printed.pages++ > 0)
            nextPage(device);
        toPaperPoints(painter, device);
        painter.setWorldTransform(calibration, true);
        // Labels that reach past the paper's edge are cut there.
        painter.setClipRect(QRectF(QPointF(0, 0), product.paper.toPt()));
        const QTransform paper = painter.worldTransform();
        for (int number : page) {
            if (!copy)
                break;
            painter.setWorldTransform(paper);
            paintInCell(painter, product, sheet[number - 1], *copy, choice);
            ++painted;
            copy = nextCopy();
        }
    }
    finish(painter);
    printed.product = product;
    printed.run = painted == most ? run : choice.runOf(painted);
    return printed;
}

std::optional<QPageLayout> pageLayoutFor(const Choice& choice)
{
    if (choice.plainPaper())
        return std::nullopt;
    const PageSetup setup = pageSetup(*choice.product);
    QPageLayout layout(setup.size, setup.orientation, QMarginsF(), QPageLayout::Millimeter);
    layout.setMode(QPageLayout::FullPageMode);
    return layout;
}

void paintCalibrationPage(QPagedPaintDevice& device, const Product& product, const QString& printer)
{
    const CalibrationPage page = calibrationPage(product, printer, QDate::currentDate());
    QPainter painter;
    begin(painter, device);
    toPaperPoints(painter, device);
    painter.setPen(QPen(Qt::black, 0));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(page.path());

    // The heading in bold above the steps, in the largest size up to 10 pt
    // that fits the text's area, on white so that no outline crosses it.
    // Text is laid out in the device's own pixels, where its metrics hold.
    const QRectF area = painter.worldTransform().mapRect(page.textArea);
    painter.resetTransform();
    const QString steps = page.steps.join(QLatin1Char('\n'));
    QFont font(QStringLiteral("Liberation Sans"));
    QFont bold = font;
    bold.setBold(true);
    QRectF heading, body;
    for (int points = 10; points >= 5; --points) {
        font.setPointSize(points);
        bold.setPointSize(points);
        const QFontMetricsF metrics(font, &device);
        heading = QFontMetricsF(bold, &device).boundingRect(area, Qt::TextWordWrap, page.heading);
        body = metrics.boundingRect(area.adjusted(0, heading.height() + metrics.lineSpacing() / 2, 0, 0),
                                    Qt::TextWordWrap, steps);
        if (body.bottom() <= area.bottom())
            break;
    }
    painter.fillRect(heading.united(body), Qt::white);
    painter.setFont(bold);
    painter.drawText(heading, Qt::TextWordWrap, page.heading);
    painter.setFont(font);
    painter.drawText(body, Qt::TextWordWrap, steps);
    finish(painter);
}

}  // namespace stock
