#pragma once

#include <QList>
#include <optional>

namespace stock {

// The most copies of a label one print may ask for.
constexpr int kMaxCopies = 10000;
// The most labels one print holds, every label's copies counted: the PDF
// document is streamed page by page, so a print costs little memory per
// label, and this many labels of the program's designs stay below the 2 GB
// a PDF document may take (about 1.8 GB on plain paper, a label a page).
constexpr int kMaxLabels = 1000000;

// Which cells a print fills: from the first cell on, one label each,
// continuing on further sheets from cell 1. Cells count from 1 in the order
// of stock::cells().
struct PrintRun {
    QList<QList<int>> pages;  // each sheet's cells, in printing order
    // The cells of the last sheet that are used once it is printed: its own,
    // and on a single sheet also those before the first cell, which were
    // used already. All of them when the sheet is full.
    QList<int> usedAfter;
};

// The cells of `labels` labels from `firstCell` on. Nothing unless
// 1 <= firstCell <= cellsPerSheet and 1 <= labels <= kMaxLabels.
std::optional<PrintRun> planPrint(int cellsPerSheet, int firstCell, int labels);
// The cells `cells` of one sheet, one label each, in that order. Nothing
// unless there are some and each is on the sheet once.
std::optional<PrintRun> cellRun(int cellsPerSheet, const QList<int>& cells);

}  // namespace stock
