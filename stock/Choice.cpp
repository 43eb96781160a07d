#include "stock/Choice.h"

namespace stock {

std::optional<PrintRun> Choice::run() const { return runOf(cells ? cells->size() : copies); }

std::optional<PrintRun> Choice::runOf(qsizetype labels) const
{
    if (!product)
        return std::nullopt;
    if (cells)
        return cellRun(product->cellCount(), cells->mid(0, labels));
    return planPrint(product->cellCount(), firstCell, int(labels));
}

}  // namespace stock

namespace stock {

bool discFaceOffered(const std::optional<Product>& product)
{
    return !product || product->shape.kind == LabelShape::Cd || product->shape.kind == LabelShape::Round;
}

bool discFaceByDefault(const std::optional<Product>& product)
{
    return product && product->shape.kind == LabelShape::Cd;
}

}  // namespace stock
