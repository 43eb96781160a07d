#include "stock/ProductChoice.h"

namespace stock {

bool offeredFor(const Product& product, bool roundLabelsAllowed)
{
    return roundLabelsAllowed || product.shape.kind == LabelShape::Rectangle;
}

ui::Result<Product, QString> chooseProduct(const ProductDatabase& database, const QString& typed,
                                           bool roundLabelsAllowed, const QString& roundKinds)
{
    if (!database.installed() && database.products().isEmpty())
        return ui::failed(QStringLiteral("no label products are installed: ") + missingDatabaseHint());
    const QString wanted = typed.simplified();
    for (const Product& product : database.products()) {
        if (product.name().compare(wanted, Qt::CaseInsensitive) != 0)
            continue;
        if (!offeredFor(product, roundLabelsAllowed))
            return ui::failed(
                QStringLiteral("%1 has round labels: only %2 may go on them").arg(product.name(), roundKinds));
        return product;
    }
    QList<const Product*> found;
    for (const Product* product : database.search(wanted)) {
        if (product && offeredFor(*product, roundLabelsAllowed))  // none: plain paper
            found.append(product);
    }
    if (found.size() == 1)
        return *found.first();
    if (found.isEmpty()) {
        if (const Rejection* left = database.leftOut(typed))
            return ui::failed(QStringLiteral("%1 %2 is in the label database but left out: %3 (%4:%5)")
                                  .arg(left->brand, left->part, left->reason, left->file)
                                  .arg(left->line));
        return ui::failed(QStringLiteral("no label product matches '%1'").arg(typed));
    }
    constexpr qsizetype kListed = 20;
    QStringList names;
    for (const Product* product : found.first(std::min(found.size(), kListed)))
        names << QStringLiteral("  ") + product->name() + QStringLiteral(" - ") + product->description;
    if (found.size() > kListed)
        names << QStringLiteral("  and %1 more").arg(found.size() - kListed);
    return ui::failed(QStringLiteral("'%1' matches %2 label products; name one of them:\n%3")
                          .arg(typed)
                          .arg(found.size())
                          .arg(names.join(QLatin1Char('\n'))));
}

}  // namespace stock
