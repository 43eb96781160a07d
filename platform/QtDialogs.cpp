#include "platform/Dialogs.h"

#include "platform/Printer.h"
#include "ui/CommonDialog.h"
#include "stock/SheetPrinting.h"
#include "stockui/StockTab.h"
#include "ui/FontDialog.h"

#include <QAbstractPrintDialog>
#include <QComboBox>
#include <QMessageBox>
#include <QPrinterInfo>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QFileDialog>
#include <QScreen>
#include <QPrintDialog>
#include <QPrinter>
#include <QTabWidget>

namespace platform {

std::optional<QString> QtDialogs::openFile(QWidget* owner, const QString& filter, const QString& initial)
{
    const QString name = QFileDialog::getOpenFileName(owner, QString(), initial, filter);
    if (name.isEmpty())
        return std::nullopt;
    return name;
}

std::optional<QString> QtDialogs::saveFile(QWidget* owner, const QString& filter, const QString& initial)
{
    // The caller decides about the extension and asks about replacing a
    // file, under the name it will really write.
    const QString name =
        QFileDialog::getSaveFileName(owner, QString(), initial, filter, nullptr, QFileDialog::DontConfirmOverwrite);
    if (name.isEmpty())
        return std::nullopt;
    return name;
}

std::optional<FontChoice> QtDialogs::chooseFont(QWidget* owner, const FontChoice& initial, int flags)
{
    ui::FontDialog dialog(owner, initial, (flags & ui::CommonDialog::Effects) != 0);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.choice();
}

void QtDialogs::preparePrintSetup(QPrintDialog& dialog)
{
    dialog.setWindowTitle(QObject::tr("Print Setup"));
    dialog.setOptions(QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintShowPageSize);
    dialog.setMinMax(1, 1);
    // Qt's own dialog has a tab for page ranges and copies; a label is one
    // page. Qt names its parts only privately: a test with the real dialog
    // notices when they change.
    if (auto* tabs = dialog.findChild<QTabWidget*>(QStringLiteral("tabs"))) {
        if (QWidget* copies = dialog.findChild<QWidget*>(QStringLiteral("copiesTab")))
            tabs->removeTab(tabs->indexOf(copies));
    }
    // It only sets the printer up; printing follows.
    if (auto* buttons = dialog.findChild<QDialogButtonBox*>()) {
        if (QPushButton* ok = buttons->button(QDialogButtonBox::Ok))
            ok->setText(QObject::tr("OK"));
    }
}

namespace {

// The queue the dialog shows, or nothing when it prints to a file. Qt names
// its printer list only privately: a test with the real dialog notices when
// that changes.
QString chosenQueue(const QPrintDialog& dialog)
{
    const auto* printers = dialog.findChild<QComboBox*>(QStringLiteral("printers"));
    const QString name = printers ? printers->currentText() : dialog.printer()->printerName();
    return QPrinterInfo::availablePrinterNames().contains(name) ? name : QString();
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
void printCalibrationPage(QPrintDialog& dialog, const StockSetup& stock, const stockui::StockTab& tab)
{
    const stock::Choice choice = tab.choice();
    const QString queue = chosenQueue(dialog);
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

stockui::StockTab* QtDialogs::addStockTab(QPrintDialog& dialog, const StockSetup& stock)
{
    auto* tab = new stockui::StockTab(*stock.settings, stock.sources);
    tab->setWindowTitle(QObject::tr("Label stock"));
    tab->setDesign(stock.design, stock.roundLabelsAllowed);
    dialog.setOptionTabs({tab});
    tab->setPrinter(chosenQueue(dialog));
    if (auto* printers = dialog.findChild<QComboBox*>(QStringLiteral("printers")))
        QObject::connect(printers, &QComboBox::currentTextChanged, tab,
                         [&dialog, tab] { tab->setPrinter(chosenQueue(dialog)); });
    QObject::connect(tab, &stockui::StockTab::pageWanted, &dialog, [&dialog, tab] { showOptionTab(dialog, tab); });
    // Unfolded by the user, after Qt's own handling.
    if (QPushButton* button = optionsButton(dialog))
        QObject::connect(button, &QPushButton::clicked, &dialog, [&dialog, button] {
            if (button->text() == QPrintDialog::tr("&Options <<"))
                makeRoom(dialog);
        });
    QObject::connect(tab, &stockui::StockTab::calibrationPageRequested, &dialog,
                     [&dialog, &stock, tab] { printCalibrationPage(dialog, stock, *tab); });
    tab->load();
    // The dialog opens with its options unfolded and the tab in front, so
    // that label stock is found on every print; plain paper stays chosen
    // unless a product was before.
    showOptionTab(dialog, tab);
    return tab;
}

bool QtDialogs::printSetup(QWidget* owner, Printer& printer, StockSetup* stock)
{
    // The dialog takes the count the printer has; with the copies tab gone
    // nobody could change it.
    printer.device().setCopyCount(1);
    QPrintDialog dialog(&printer.device(), owner);
    preparePrintSetup(dialog);
    stockui::StockTab* tab = stock && stock->settings ? addStockTab(dialog, *stock) : nullptr;
    if (dialog.exec() != QDialog::Accepted)
        return false;
    if (tab) {
        stock->choice = tab->choice();
        // The product's paper wins over the one chosen on the dialog's page.
        if (const std::optional<QPageLayout> layout = stock::pageLayoutFor(stock->choice)) {
            printer.device().setPageSize(layout->pageSize());
            printer.device().setPageOrientation(layout->orientation());
        }
    }
    return true;
}

}  // namespace platform
