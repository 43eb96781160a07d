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
                out.append(
                    Cell{0, int(l) + 1, row + 1, column + 1,
                         QRectF(QPointF((layout.x0 + column * layout.dx).toPt(), (layout.y0 + row * layout.dy).toPt()),
                                product.shape.size.toPt())});
    }
    // One layout whose rows lie apart is in that order already.
    const bool inOrder =
        product.layouts.size() == 1 && (product.layouts[0].ny == 1 || product.layouts[0].dy >= kRowTolerance);
    if (!inOrder) {
        const auto byTop = [](const Cell& a, const Cell& b) {
            return std::pair(a.rect.top(), a.rect.left()) < std::pair(b.rect.top(), b.rect.left());
        };
        const auto byLeft = [](const Cell& a, const Cell& b) {
            return std::pair(a.rect.left(), a.rect.top()) < std::pair(b.rect.left(), b.rect.top());
        };
        std::sort(out.begin(), out.end(), byTop);
        for (auto row = out.begin(); row != out.end();) {
            const double below = row->rect.top() + kRowTolerance.toPt();
            const auto next = std::find_if(row, out.end(), [below](const Cell& c) { return c.rect.top() >= below; });
            std::sort(row, next, byLeft);
            row = next;
        }
    }
    for (qsizetype i = 0; i < out.size(); ++i)
        out[i].number = int(i) + 1;
    return out;
}

}  // namespace stock
