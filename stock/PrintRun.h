#pragma once

#include <QList>
#include <optional>

namespace stock {

// The most labels one print may ask for.
constexpr int kMaxCopies = 10000;

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

// Nothing unless 1 <= firstCell <= cellsPerSheet and 1 <= copies <= kMaxCopies.
std::optional<PrintRun> planPrint(int cellsPerSheet, int firstCell, int copies);

}  // namespace stock
