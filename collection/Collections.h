#pragma once

#include "collection/SheetCollection.h"
#include "output/Pipeline.h"
#include "stock/CollectedLabels.h"

#include <QString>
#include <QStringList>

#include <map>
#include <stop_token>
#include <utility>

namespace platform {
class Pictures;
}

namespace collection {

// The collected sheets of every product, one file each in `folder` (the
// user's data folder unless told otherwise), read the first time a product
// is asked for and written whole through the safe replacement at every
// change, so that a collection survives a quit, a crash and a restart. A
// file that cannot be read is set aside under another name (never
// overwritten, never dropped) and said through takeNotes().
class Collections final : public stock::CollectedLabels {
public:
    explicit Collections(platform::Pictures& pictures, QString folder = standardFolder());

    // Where the collections are kept: "collected" in the application's data
    // folder (QStandardPaths::AppDataLocation).
    static QString standardFolder();
    // The file that holds `product`'s collection.
    QString fileOf(const stock::Product& product) const;

    const SheetCollection& of(const stock::Product& product);

    // Where `copies` copies of a label go from `firstCell` on: consecutive
    // cells, each neither collected nor in `used`. Says why they do not fit.
    ui::Result<QList<int>, QString> cellsFor(const stock::Product& product, int firstCell, int copies,
                                             const QList<int>& used);
    // Adds a copy of `label` to each of `cells` (see cellsFor), as its disc
    // face where `discFace`, and stores the collection; when it cannot be stored, nothing is added and the
    // reason is given.
    ui::Result<void, QString> add(const stock::Product& product, const document::Document& label,
                                  const QList<int>& cells, bool discFace = false);
    ui::Result<void, QString> clear(const stock::Product& product);

    QList<Label> collected(const stock::Product& product) override;
    QString remove(const stock::Product& product, int cell) override;
    QStringList takeNotes() override;

private:
    ui::Result<void, QString> store(const SheetCollection& changed);
    SheetCollection& load(const stock::Product& product);

    platform::Pictures& pictures_;
    QString folder_;
    std::map<std::pair<QString, QString>, SheetCollection> sheets_;
    QStringList notes_;
};

// Prints `product`'s collected sheet with `current` (`choice.copies`
// copies from choice.firstCell on, in cells nothing was collected in)
// unless it is null, each label in its own cell, as one job through
// output::print. Once the print succeeded, the collection is emptied (the
// print's cells are in the sheet memory); a print that fails or is stopped
// raises as output::print does and keeps the collection whole. Raises
// ui::Error 1004 when the current label's cells clash with collected ones,
// or there is nothing to print.
output::Printed printCollected(Collections& collections, const stock::Product& product,
                               const platform::Printable* current, stock::Choice choice,
                               const platform::Destination& destination, const QString& title,
                               output::Services services, std::stop_token stop = {});

}  // namespace collection
