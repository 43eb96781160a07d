#pragma once

#include "stock/Product.h"

#include <QList>
#include <QString>

namespace platform {
class Printable;
}

namespace stock {

// The labels collected for a product's sheet, to be printed together later,
// as the label stock tab shows and changes them. Whoever keeps them stores
// every change at once.
class CollectedLabels {
public:
    struct Label {
        int cell = 0;                                // where it prints, from 1
        const platform::Printable* label = nullptr;  // valid until the next change
        QString name;                                // what the label says first, such as its disk name
    };
    virtual ~CollectedLabels() = default;

    // In the order of their cells.
    virtual QList<Label> collected(const Product& product) = 0;
    // Takes the label in `cell` off the sheet; says why that could not be
    // stored (then it stays), or nothing.
    virtual QString remove(const Product& product, int cell) = 0;
    // What the user has not been told yet: a stored sheet that could not be
    // read and was set aside, a picture that did not load. Said once.
    virtual QStringList takeNotes() = 0;
};

}  // namespace stock
