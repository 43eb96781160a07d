#include "stockui/PrintSetupTab.h"

#include "stockui/StockTab.h"
#include "ui/Error.h"

#include <QComboBox>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinterInfo>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>

namespace stockui {

namespace {

// The queue the dialog shows, or nothing when it prints to a file; `queues`
// are the system's, asked once for the dialog. Qt names its printer list
// only privately: a test with the real dialog notices when that changes.
QString chosenQueue(const QPrintDialog& dialog, const QStringList& queues)
{
    const auto* printers = dialog.findChild<QComboBox*>(QStringLiteral("printers"));
    const QString name = printers ? printers->currentText() : dialog.printer()->printerName();
    return queues.contains(name) ? name : QString();
}

// The button that folds and unfolds the dialog's option tabs.
QPushButton* optionsButton(QPrintDialog& dialog)
{
    for (auto* button : dialog.findChildren<QPushButton*>()) {
        if (button->text() == QPrintDialog::tr("&Options >>") || button->text() == QPrintDialog::tr("&Options <<"))
            return button;
    }
    return nullptr;
}

// Room for the label stock tab, whose sheet and notes need more than Qt's
// own options, as far as the screen has it.
void makeRoom(QPrintDialog& dialog)
{
    QSize room = dialog.size().expandedTo(dialog.sizeHint());
    if (const QScreen* screen = dialog.screen()) {
        // The frame is known once the window is shown; a title bar's worth before.
        const QSize frame = dialog.isVisible() ? dialog.frameGeometry().size() - dialog.size() : QSize(0, 32);
        room = room.boundedTo(screen->availableSize() - frame);
    }
    dialog.resize(room);
}

// Unfolds the part of the dialog that holds its option tabs and shows `tab`.
void showOptionTab(QPrintDialog& dialog, QWidget* tab)
{
    if (QPushButton* button = optionsButton(dialog); button && button->text() == QPrintDialog::tr("&Options >>"))
        button->click();
    makeRoom(dialog);
    for (QWidget* w = tab->parentWidget(); w; w = w->parentWidget()) {
        if (auto* tabs = qobject_cast<QTabWidget*>(w)) {
            tabs->setCurrentIndex(tabs->indexOf(tab));
            break;
        }
    }
}

// The calibration page of the product chosen on `tab`, printed on the queue
// the dialog shows, whatever the printer was set to before.
void printCalibrationPage(QPrintDialog& dialog, const platform::StockSetup& stock, const StockTab& tab,
                          const QStringList& queues)
{
    const stock::Choice choice = tab.choice();
    const QString queue = chosenQueue(dialog, queues);
    if (!choice.product || !stock.printCalibrationPage)
        return;
    if (queue.isEmpty()) {
        QMessageBox::information(&dialog, QObject::tr("Print calibration page"),
                                 QObject::tr("Choose the printer to calibrate first."));
        return;
    }
    try {
        stock.printCalibrationPage(*choice.product, queue.toLocal8Bit());
    } catch (const ui::Error& error) {
        QMessageBox::warning(&dialog, QObject::tr("Print calibration page"), error.description);
    }
}

}  // namespace

StockTab* addStockTab(QPrintDialog& dialog, const platform::StockSetup& stock)
{
    auto* tab = new StockTab(*stock.settings, stock.sources);
    tab->setWindowTitle(QObject::tr("Label stock"));
    tab->setDesign(stock.design, stock.roundLabelsAllowed);
    tab->setDiscFace(stock.discFace);
    tab->setCollected(stock.collected);
    dialog.setOptionTabs({tab});
    // The spooler is asked for its queues once, not at every change of the
    // dialog's printer.
    const QStringList queues = QPrinterInfo::availablePrinterNames();
    tab->setPrinter(chosenQueue(dialog, queues));
    if (auto* printers = dialog.findChild<QComboBox*>(QStringLiteral("printers")))
        QObject::connect(printers, &QComboBox::currentTextChanged, tab,
                         [&dialog, tab, queues] { tab->setPrinter(chosenQueue(dialog, queues)); });
    QObject::connect(tab, &StockTab::pageWanted, &dialog, [&dialog, tab] { showOptionTab(dialog, tab); });
    // Unfolded by the user, after Qt's own handling.
    if (QPushButton* button = optionsButton(dialog))
        QObject::connect(button, &QPushButton::clicked, &dialog, [&dialog, button] {
            if (button->text() == QPrintDialog::tr("&Options <<"))
                makeRoom(dialog);
        });
    QObject::connect(tab, &StockTab::calibrationPageRequested, &dialog,
                     [&dialog, &stock, tab, queues] { printCalibrationPage(dialog, stock, *tab, queues); });
    tab->load();
    // The dialog opens with its options unfolded and the tab in front, so
    // that label stock is found on every print; plain paper stays chosen
    // unless a product was before.
    showOptionTab(dialog, tab);
    return tab;
}

std::function<stock::Choice()> attachStockTab(QPrintDialog& dialog, const platform::StockSetup& stock)
{
    const StockTab* tab = addStockTab(dialog, stock);
    return [tab] { return tab->choice(); };
}

}  // namespace stockui
