#pragma once

#include "stock/Calibration.h"
#include "stock/PrintRun.h"
#include "stock/Product.h"
#include "stock/SheetGeometry.h"

#include <optional>

namespace stock {

// What the label stock tab hands to printing: the product the print goes on
// (nothing for plain paper, one label at the page corner as without label
// stock), the first label to print on and how many, how the design fits the
// label, whether each label gets a hairline outline, and the printer's
// calibration, which printing applies to label stock only.
struct Choice {
    std::optional<Product> product;
    int firstCell = 1;
    int copies = 1;
    Fit fit = Fit::ActualSize;
    bool outline = false;
    // A job that has a disc face prints it, instead of its label cut to the
    // disc (see discFaceOffered).
    bool discFace = false;
    Calibration calibration;
    // The labels of the sheet that were used when the user chose, where the
    // user chose from a picture of the sheet: a print refuses labels used by
    // another print since. None: the caller said where to start.
    std::optional<QList<int>> usedWhenChosen;
    // Where each label goes when every label has a cell of its own on one
    // sheet (a collected sheet): the i-th label in cells[i], once. None: the
    // labels' copies in consecutive cells from firstCell.
    std::optional<QList<int>> cells;
    // What the label stock tab's OK asks for beside the print: the label is
    // added to the product's collected sheet instead of printed (collect);
    // the collected sheet is printed, with the label unless it is collected
    // (printCollected).
    bool collect = false;
    bool printCollected = false;

    bool plainPaper() const { return !product; }
    // The cells this choice fills; nothing on plain paper.
    std::optional<PrintRun> run() const;
    // The cells its first `labels` labels fill (copies counted): the first
    // of `cells`, else consecutive cells from firstCell.
    std::optional<PrintRun> runOf(qsizetype labels) const;
};

// Whether a disc face may go on `product`: plain paper (nothing) or a round
// label; and whether it is what a job that has one prints there unless told
// otherwise: on a CD label.
bool discFaceOffered(const std::optional<Product>& product);
bool discFaceByDefault(const std::optional<Product>& product);

}  // namespace stock
