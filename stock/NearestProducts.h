#pragma once

#include "stock/Product.h"

#include <QList>
#include <QString>

namespace stock {

// The products closest to a search that matches none, best first, at most
// `most` of them: each word of the query is compared with the product's
// brand, part and the words of its description, and may be a letter or two
// off (left out, added, changed, or two letters swapped), as a misspelt
// brand or part number is. A product is offered only when every word is
// near one of its own; of equally near ones, those earlier in `candidates`
// come first. Nothing when the query is empty or nothing is near.
QList<const Product*> nearestProducts(const QList<const Product*>& candidates, const QString& query, int most);

}  // namespace stock
