#include "stock/PrintRun.h"

#include <algorithm>

namespace stock {

std::optional<PrintRun> planPrint(int cellsPerSheet, int firstCell, int labels)
{
    if (cellsPerSheet < 1 || firstCell < 1 || firstCell > cellsPerSheet || labels < 1 || labels > kMaxLabels)
        return std::nullopt;
    PrintRun run;
    int cell = firstCell;
    for (int i = 0; i < labels; ++i) {
        if (i == 0 || cell == 1)
            run.pages.append(QList<int>());
        run.pages.last().append(cell);
        cell = cell % cellsPerSheet + 1;
    }
    const int last = run.pages.last().last();
    for (int c = 1; c <= last; ++c)
        run.usedAfter.append(c);
    return run;
}

std::optional<PrintRun> cellRun(int cellsPerSheet, const QList<int>& cells)
{
    QList<int> sorted = cells;
    std::sort(sorted.begin(), sorted.end());
    if (sorted.isEmpty() || sorted.first() < 1 || sorted.last() > cellsPerSheet ||
        std::adjacent_find(sorted.begin(), sorted.end()) != sorted.end())
        return std::nullopt;
    return PrintRun{{cells}, sorted};
}

}  // namespace stock
