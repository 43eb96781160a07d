#pragma once

#include "stock/PrintRun.h"
#include "stock/Product.h"

#include <QList>
#include <QString>
#include <memory>
#include <utility>

class QSettings;

namespace stock {

// The user's settings of label stock, in Tessera/Tessera.conf in the
// configuration folder (~/.config): the only settings the program keeps.
std::unique_ptr<QSettings> userSettings();

// What label stock remembers between runs, in the settings: the product
// chosen last, and for each product the labels already used on the sheet
// in the printer. Reading writes nothing.
class SheetMemory {
public:
    explicit SheetMemory(QSettings& settings) : settings_(settings) {}

    // Brand and part of the product chosen last; empty for plain paper.
    std::pair<QString, QString> lastProduct() const;
    // Null for plain paper.
    void setLastProduct(const Product* product);

    // The used labels' numbers, in order, each from 1 to the product's
    // count; anything else in the settings is ignored.
    QList<int> usedCells(const Product& product) const;
    // Where the next print starts: the first free label; 1 on a new sheet.
    int firstFreeCell(const Product& product) const;

    // A print succeeded. A run on one sheet adds its labels to what that
    // sheet had used; a longer run ends on a new sheet, which holds only its
    // own. A sheet with every label used is done: the next print starts a
    // new one.
    void recordPrint(const Product& product, const PrintRun& run);
    // The user put in a new sheet.
    void newSheet(const Product& product);

private:
    QSettings& settings_;
};

}  // namespace stock
