#pragma once

#include "platform/Dialogs.h"

#include <functional>

class QPrintDialog;

namespace stockui {

class StockTab;

// Adds the "Label stock" tab for `stock` to the print setup dialog's option
// tabs, told the design and the queue the dialog shows, reads the products
// and shows the tab in front. `stock` must outlive the dialog.
StockTab* addStockTab(QPrintDialog& dialog, const platform::StockSetup& stock);

// The same as a print setup takes it: the tab added, and what reads its
// choice once the dialog is confirmed.
std::function<stock::Choice()> attachStockTab(QPrintDialog& dialog, const platform::StockSetup& stock);

}  // namespace stockui
