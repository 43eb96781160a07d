#pragma once

#include "stock/ProductDatabase.h"

#include <future>
#include <memory>

namespace stock {

// The label products of the process: each set of sources is read once, on
// a worker thread, and the database shared by every print dialog and the
// run without a window for the rest of the run.
class ProductCatalog {
public:
    using Database = std::shared_ptr<const ProductDatabase>;

    // Starts reading `sources` on a worker unless they are read or being
    // read already; get() on the result waits for the database.
    static std::shared_future<Database> read(const ProductDatabase::Sources& sources);
};

}  // namespace stock
