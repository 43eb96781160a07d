#pragma once

#include "stock/ProductDatabase.h"
#include "ui/Result.h"

#include <QString>

namespace stock {

// Whether a design may go on `product`: round and CD labels cost a design
// its corners, which only some kinds of label may lose.
bool offeredFor(const Product& product, bool roundLabelsAllowed);

// The one product `typed` names, for a design that may or may not lose its
// corners: an exact brand and part first, else the only product the label
// stock tab's search offers for it. Else why not: none installed, none or
// several matching (the first of them named), a product that is left out
// (with its reason), or round labels for a design
// that may not go on them (`roundKinds` says which may).
ui::Result<Product, QString> chooseProduct(const ProductDatabase& database, const QString& typed,
                                           bool roundLabelsAllowed, const QString& roundKinds);

}  // namespace stock
