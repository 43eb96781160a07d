#include "platform/Dialogs.h"

#include "platform/Printer.h"
#include "stock/SheetPrinting.h"
#include "ui/CommonDialog.h"
#include "ui/FontDialog.h"

#include <QAbstractPrintDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
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

bool QtDialogs::printSetup(QWidget* owner, Printer& printer, StockSetup* stock)
{
    // The dialog takes the count the printer has; with the copies tab gone
    // nobody could change it.
    printer.device().setCopyCount(1);
    QPrintDialog dialog(&printer.device(), owner);
    preparePrintSetup(dialog);
    const std::function<stock::Choice()> chosen =
        stock && stock->settings && stock->attachTab ? stock->attachTab(dialog, *stock) : nullptr;
    if (dialog.exec() != QDialog::Accepted)
        return false;
    if (chosen) {
        stock->choice = chosen();
        // The product's paper wins over the one chosen on the dialog's page.
        if (const std::optional<QPageLayout> layout = stock::pageLayoutFor(stock->choice)) {
            printer.device().setPageSize(layout->pageSize());
            printer.device().setPageOrientation(layout->orientation());
        }
    }
    return true;
}

}  // namespace platform
