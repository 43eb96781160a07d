#include "stock/Choice.h"

namespace stock {

std::optional<PrintRun> Choice::run() const
{
    if (!product)
        return std::nullopt;
    return planPrint(product->cellCount(), firstCell, copies);
}

}  // namespace stock
