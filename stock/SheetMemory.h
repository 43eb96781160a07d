#pragma once

#include "stock/PrintRun.h"
#include "stock/Product.h"

#include <QList>
#include <QString>
#include <utility>

namespace platform {
class Settings;
class SettingsText;
}  // namespace platform

namespace stock {

// What label stock remembers between runs, in the program's settings: the
// product chosen last, and for each product the labels already used on the
// sheet in the printer. Reading writes nothing; each change is written at
// once and merged with what other Tessera processes wrote meanwhile. A change
// that could not be written returns false, and the settings say why.
class SheetMemory {
public:
    explicit SheetMemory(platform::Settings& settings) : settings_(settings) {}

    // Brand and part of the product chosen last; empty for plain paper.
    std::pair<QString, QString> lastProduct() const;
    // Null for plain paper.
    bool setLastProduct(const Product* product);

    // The used labels' numbers, in order, each from 1 to the product's
    // count; anything else in the settings is ignored.
    QList<int> usedCells(const Product& product) const;
    // Where the next print starts: the first free label; 1 on a new sheet.
    int firstFreeCell(const Product& product) const;
    // The labels of the sheet in the printer that `run` would print on and
    // that were used since `usedBefore` was read (by another print).
    QList<int> usedSince(const Product& product, const PrintRun& run, const QList<int>& usedBefore) const;

    // A print succeeded. A run on one sheet adds its labels to what that
    // sheet has used, also in another process meanwhile; a longer run ends
    // on a new sheet, which holds only its own. A sheet with every label used
    // is done: the next print starts a new one.
    bool recordPrint(const Product& product, const PrintRun& run);
    // The user put in a new sheet.
    bool newSheet(const Product& product);

private:
    platform::Settings& settings_;
};

}  // namespace stock
