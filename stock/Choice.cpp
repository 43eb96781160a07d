#include "stock/Choice.h"

namespace stock {

std::optional<PrintRun> Choice::run() const
{
    if (!product)
        return std::nullopt;
    if (cells)
        return cellRun(product->cellCount(), *cells);
    return planPrint(product->cellCount(), firstCell, copies);
}

}  // namespace stock
