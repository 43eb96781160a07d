#include "stock/Product.h"

namespace stock {

int Product::cellCount() const
{
    int count = 0;
    for (const Layout& layout : layouts)
        count += layout.nx * layout.ny;
    return count;
}

QList<Cell> cells(const Product& product)
{
    QList<Cell> out;
    out.reserve(product.cellCount());
    for (qsizetype l = 0; l < product.layouts.size(); ++l) {
        const Layout& layout = product.layouts[l];
        for (int row = 0; row < layout.ny; ++row)
            for (int column = 0; column < layout.nx; ++column)
                out.append(Cell{
                    int(out.size()) + 1, int(l) + 1, row + 1, column + 1,
                    QRectF(QPointF(layout.x0 + column * layout.dx, layout.y0 + row * layout.dy), product.shape.size)});
    }
    return out;
}

}  // namespace stock
