#include "stock/Product.h"

#include <algorithm>

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
                    0, int(l) + 1, row + 1, column + 1,
                    QRectF(QPointF(layout.x0 + column * layout.dx, layout.y0 + row * layout.dy), product.shape.size)});
    }
    const auto top = [](const Cell& a, const Cell& b) { return a.rect.top() < b.rect.top(); };
    const auto left = [](const Cell& a, const Cell& b) { return a.rect.left() < b.rect.left(); };
    std::stable_sort(out.begin(), out.end(), top);
    for (auto row = out.begin(); row != out.end();) {
        const double below = row->rect.top() + kRowTolerance;
        const auto next = std::find_if(row, out.end(), [below](const Cell& c) { return c.rect.top() >= below; });
        std::stable_sort(row, next, left);
        row = next;
    }
    for (qsizetype i = 0; i < out.size(); ++i)
        out[i].number = int(i) + 1;
    return out;
}

}  // namespace stock
