#pragma once

#include "stock/Choice.h"
#include "stock/PrintRun.h"

#include <QList>
#include <QPageLayout>
#include <functional>
#include <optional>

class QPagedPaintDevice;
class QPainter;
namespace platform {
class Printable;
}

// Painting labels onto pages: on label stock into the cells of its sheets,
// on plain paper one label a page as a single print.
namespace stock {

// What a print filled: on label stock the product and the cells of each
// sheet (for the sheet memory), nothing on plain paper; and how many pages
// it painted.
struct PrintedCells {
    std::optional<Product> product;
    std::optional<PrintRun> run;
    int pages = 0;
};

// Labels handed to printing one at a time, as they are made, so that a
// long print need not hold them all: `next` gives the next label, or null
// after the last; a label stays valid until `next` is called again. At most
// `most` of them.
struct LabelStream {
    qsizetype most = 0;
    std::function<const platform::Printable*()> next;
};

// Paints `labels` onto `device`, each `choice.copies` times, page after page: on label stock in
// consecutive cells from choice.firstCell, sheets laid out full-page from the paper's physical
// corner, each label fitted (choice.fit) and clipped to its label's shape and to the paper's edge
// (labels may reach past it by the product's overhang), with choice.calibration
// and outlines (choice.outline); on plain paper one label per page, top-left at the printable
// area's top-left, at its own size, exactly as a single print today. Starts new pages on the
// device itself (device.newPage()); sets nothing on the device the caller chose (paper size and
// layout are the caller's, see pageLayoutFor below). Returns the cells used on the last sheet's
// product, for the sheet memory.
// With choice.cells, each label goes once into its own cell of one sheet.
//
// Raises ui::Error 482 when a page cannot be started or finished, or when the
// choice cannot be printed (a first cell not on the sheet, more than
// kMaxCopies copies or kMaxLabels labels); then the sheet memory is to be
// left alone.
PrintedCells paintSheets(QPagedPaintDevice& device, const QList<const platform::Printable*>& labels,
                         const Choice& choice);
// The same for labels made as they are printed: the cells are those of the
// labels that came, each sheet started only once its first label is there.
PrintedCells paintSheets(QPagedPaintDevice& device, const LabelStream& labels, const Choice& choice);

// One label into `cell` of `product`, fitted (choice.fit), clipped to its
// shape, outlined (choice.outline), the painter in paper points. Printing
// paints every label so, and so does the picture of a sheet.
void paintInCell(QPainter& painter, const Product& product, const Cell& cell, const platform::Printable& label,
                 const Choice& choice);

// The page layout (paper size, orientation, zero margins) a choice needs: the product's paper for
// label stock, exactly, in millimetres; nothing (std::nullopt) for plain paper.
std::optional<QPageLayout> pageLayoutFor(const Choice& choice);

// Paints the calibration page of `product` for the printer queue `printer`
// on one page of `device` (laid out as pageLayoutFor gives), dated today,
// with no calibration: it shows what the printer itself does.
void paintCalibrationPage(QPagedPaintDevice& device, const Product& product, const QString& printer);

}  // namespace stock
