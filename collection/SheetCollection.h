#pragma once

#include "document/Document.h"
#include "stock/Product.h"
#include "ui/Result.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <memory>
#include <vector>

namespace platform {
class Pictures;
class Printable;
}  // namespace platform

// Labels collected for a sheet of label stock and printed together later:
// one sheet of different labels, each in a cell of its own.
namespace collection {

// The labels collected for one product's sheet, each a document of its own
// in its cell. Free of widgets and of files: the store (Collections) reads
// and writes it.
class SheetCollection {
public:
    struct Entry {
        int cell = 0;  // from 1, as stock::cells() numbers them
        std::unique_ptr<document::Document> document;
        // What it prints as, where that is not the document itself: its
        // disc face, when it was collected as one.
        std::shared_ptr<const platform::Printable> face;
        // What prints in the cell.
        const platform::Printable& printed() const;
    };

    explicit SheetCollection(stock::Product product);
    SheetCollection(SheetCollection&&) noexcept;
    SheetCollection& operator=(SheetCollection&&) noexcept;
    ~SheetCollection();

    const stock::Product& product() const { return product_; }
    // In the order of their cells.
    const std::vector<Entry>& entries() const { return entries_; }
    bool isEmpty() const { return entries_.empty(); }
    QList<int> cells() const;
    bool holds(int cell) const;
    // Whether every cell of the sheet is either collected or in `used`.
    bool fills(const QList<int>& used) const;

    // Puts a copy of `label` in `cell`, which must be on the sheet and free;
    // as its disc face where `discFace` (and its kind has one).
    void add(int cell, const document::Document& label, bool discFace = false);
    // Takes the label in `cell` off; whether there was one.
    bool remove(int cell);
    SheetCollection copy() const;

    // The documents as printing takes them, and their cells, in order.
    QList<const platform::Printable*> labels() const;

    // The stored form: the product, and for each cell its document (a
    // template's kind, disk name and field texts; a card's label file and
    // picture path), sealed with a checksum so that any damage shows.
    QByteArray serialized() const;
    // Reads what serialized() wrote for `product`; says why it is not that.
    // A card whose picture does not load comes without it, told in `notes`.
    static ui::Result<SheetCollection, QString> read(const QByteArray& bytes, const stock::Product& product,
                                                     platform::Pictures& pictures, QStringList* notes);

private:
    stock::Product product_;
    std::vector<Entry> entries_;
};

// What a label says first, to name it: a template's disk name (else its
// first field), a card's first visible line.
QString labelName(const document::Document& label);

}  // namespace collection
