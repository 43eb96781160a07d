#include "wizard/PrintManager.h"

#include "app/Forms.h"
#include "collection/Collections.h"
#include "document/DiscFace.h"
#include "output/Pipeline.h"
#include "platform/MessageBox.h"
#include "platform/Printable.h"
#include "platform/Settings.h"
#include "stock/ProductCatalog.h"
#include "stock/SheetMemory.h"
#include "stockui/PrintSetupTab.h"
#include "ui/Controls.h"
#include "ui/Error.h"
#include "ui/Fonts.h"
#include "ui/SystemColors.h"

#include <QLabel>
#include <QPushButton>

PrintManager::PrintManager(Forms& forms)
    : FormWith(forms.registry, QStringLiteral("readytoprint"),
               ui::WindowDesign{QStringLiteral("Print Manager"), 2895, 2190, true, 0, 0, ui::Frame::SizableCloseOnly}),
      forms_(forms)
{
}

PrintManager::~PrintManager() = default;

collection::Collections& PrintManager::collections()
{
    if (!collections_)
        collections_ = std::make_unique<collection::Collections>(forms_.context.pictures());
    return *collections_;
}

void PrintManager::showProblem(const QString& text)
{
    forms_.context.messages().show(window(), text, platform::MessageBox::OkOnly);
}

bool PrintManager::collect(const Printed& page, const stock::Choice& choice)
{
    const stock::Product& product = *choice.product;
    collection::Collections& sheets = collections();
    const QList<int> used = stock::SheetMemory(forms_.context.settings()).usedCells(product);
    const ui::Result<QList<int>, QString> cells = sheets.cellsFor(product, choice.firstCell, choice.copies, used);
    if (!cells) {
        showProblem(cells.error());
        return false;
    }
    if (!page.label || forms_.Tessera.disktype == LabelKind::None)
        return false;
    // The job's document itself, not its window's view of it.
    const document::Document& label = forms_.job(forms_.Tessera.disktype).document();
    if (const ui::Result<void, QString> added = sheets.add(product, label, *cells, choice.discFace); !added) {
        showProblem(QStringLiteral("The label was not collected: %1.").arg(added.error()));
        return false;
    }
    const QString which = cells->size() == 1 ? QStringLiteral("Label %1").arg(cells->first())
                                             : QStringLiteral("Labels %1 to %2").arg(cells->first()).arg(cells->last());
    QString text = QStringLiteral("%1 of %2 collected on %3; the sheet prints when you choose Print collected sheet.")
                       .arg(which)
                       .arg(product.cellCount())
                       .arg(product.name());
    if (sheets.of(product).fills(used))
        text += QStringLiteral(" The sheet is full now.");
    forms_.context.messages().show(window(), text, platform::MessageBox::Information);
    return true;
}

void PrintManager::build(QWidget* client)
{
    auto& c = makeControls();
    c.Label1 = ui::makeLabel(client,
                             QStringLiteral("You have finished creating your new label.Click \"Print\" to print "
                                            "your label now or Click \"<<Back\" to return to the main screen."),
                             120, 120, 2655, 855, true);
    c.Label2 =
        ui::makeLabel(client, QStringLiteral("If you are printing a label,insert adhesive paper into the printer now."),
                      120, 1080, 2655, 375, true);
    c.Line1 = new ui::Rule(client, 120, 1560, 2760, 1560, ui::color(ui::syscolor::WindowText), 1);
    c.Command1 = ui::makeButton(client, QStringLiteral("Print"), 1560, 1800, 1095, 255);
    c.Command2 = ui::makeButton(client, QStringLiteral("<<Back"), 240, 1800, 1095, 255);
    c.CommonDialog1.emplace(forms_.context, [this] { return window(); });
    ui::onClick(c.Command1, [this] { Command1_Click(); });
    ui::onClick(c.Command2, [this] { Command2_Click(); });
    c.Command1->setFocus();
    // The label stock tab of the print dialog will want the label products.
    (void)stock::ProductCatalog::read(stock::ProductDatabase::Sources::standard());
}

PrintManager::Printed PrintManager::printed()
{
    if (forms_.Tessera.disktype == LabelKind::Custom) {
        forms_.CustomPre.use();
        return {&forms_.CustomPre.image(), forms_.CustomPre.design().caption};
    }
    if (const templates::LabelTemplate* label = forms_.templateOfJob())
        return {&label->text(), label->design().caption};
    return {};
}

void PrintManager::Command1_Click()
{
    ui::CommonDialog& dialog = *controls().CommonDialog1;
    const output::Services services{forms_.context.printer(), forms_.context.settings()};
    try {
        // The label stock tab keeps its settings here, written only when the
        // user changes something on it or a print on label stock succeeds.
        platform::StockSetup stock;
        stock.settings = &services.settings;
        if (const Printed page = printed(); page.label)
            stock.design = page.label->size();
        stock.roundLabelsAllowed = labelKind(forms_.Tessera.disktype).roundLabelsAllowed;
        const templates::LabelTemplate* job = forms_.templateOfJob();
        if (job && labelKind(forms_.Tessera.disktype).discFace)
            stock.discFace = [job](const stock::Choice& choice) {
                std::shared_ptr<const document::DiscFace> face = document::discFaceFor(job->text(), choice);
                return platform::DiscFacePreview{face, face ? face->fitNote() : QString()};
            };
        stock.printCalibrationPage = [this, services](const stock::Product& product, const QByteArray& queue) {
            (void)forms_.context.busy().runToEnd<bool>(window(), kPrintingText, [=](std::stop_token stop) {
                output::printCalibrationPage(product, queue, QStringLiteral("Calibration page"), services, stop);
                return true;
            });
        };
        stock.attachTab = stockui::attachStockTab;
        stock.collected = &collections();
        dialog.Flags = ui::CommonDialog::PrintSetup;
        dialog.CancelError = true;
        dialog.ShowPrinter(&stock);
        if (templates::LabelTemplate* label = forms_.templateOfJob())
            label->show();
        QString missing;
        const stock::Choice& choice = stock.choice;
        const bool onProduct = choice.product.has_value();
        // What the label prints as: its disc face where the choice asks for one.
        const std::unique_ptr<document::DiscFace> face = job ? document::discFaceFor(job->text(), choice) : nullptr;
        const Printed page = printed();
        const platform::Printable* label = face ? face.get() : page.label;
        if (page.label && onProduct && choice.collect && !choice.printCollected) {
            // Nothing is printed: the label waits on its sheet.
            if (!collect(page, choice))
                return;
        } else if (onProduct && choice.printCollected) {
            // The collected sheet, with this label unless it is collected.
            const platform::Printable* current = choice.collect ? nullptr : label;
            const platform::Destination destination = services.printer.chosen();
            const auto done =
                forms_.context.busy().runToEnd<output::Printed>(window(), kPrintingText, [&](std::stop_token stop) {
                    return collection::printCollected(collections(), *choice.product, current, choice, destination,
                                                      page.jobName, services, stop);
                });
            if (!done || !current) {
                if (const QString problem = services.settings.takeProblem(); done && !problem.isEmpty())
                    showProblem(problem);
                return;
            }
            missing = done->missingCharacters;
        } else if (page.label) {
            if (!manySheetsWanted(stock.choice))
                return;
            // The spooler may take long to answer: the print runs on a worker
            // while the user waits, and may be cancelled until it is handed over.
            const platform::Destination destination = services.printer.chosen();
            const auto done =
                forms_.context.busy().runToEnd<output::Printed>(window(), kPrintingText, [&](std::stop_token stop) {
                    return output::print({label}, stock.choice, destination, page.jobName, services, stop);
                });
            if (!done)
                return;
            missing = done->missingCharacters;
        }
        // Characters that printed as empty boxes are told once a run each.
        if (const QString untold = ui::charactersNotIn(missing, toldMissing_); !untold.isEmpty()) {
            toldMissing_ += untold;
            QString note = output::missingCharactersNote(untold);
            note[0] = note[0].toUpper();
            forms_.context.messages().show(window(), note + QLatin1Char('.'), platform::MessageBox::Information);
        }
        // The print counts whatever the settings say; a sheet memory that
        // could not be written is told once.
        if (const QString problem = services.settings.takeProblem(); !problem.isEmpty())
            forms_.context.messages().show(window(), problem, platform::MessageBox::OkOnly);
        for (ui::Form* form : forms_.wizard())
            form->unload();
        forms_.CustomPre.unload();
        forms_.CustomOp.unload();
        forms_.card().reset();
        forms_.card().clearHistory();
        forms_.selection.clear();
        forms_.Tessera.show();
    } catch (const ui::Error& error) {
        // A cancelled dialog is silent; a printer that failed gets the
        // printer message; a PDF file that could not be written, or a sheet
        // whose labels went meanwhile, says what happened.
        if (error.number == ui::Error::PrinterError)
            forms_.context.messages().show(window(), kPrinterErrorText, platform::MessageBox::OkOnly);
        else if (error.number != ui::Error::CancelSelected)
            forms_.context.messages().show(window(), error.description, platform::MessageBox::OkOnly);
    }
}

bool PrintManager::manySheetsWanted(const stock::Choice& choice)
{
    const std::optional<stock::PrintRun> run = choice.run();
    if (!run || run->pages.size() <= kSheetsWithoutAsking)
        return true;
    const QString text = QStringLiteral("This print takes %1 sheets of %2. Print them all?")
                             .arg(run->pages.size())
                             .arg(choice.product->name());
    return forms_.context.messages().show(window(), text, platform::MessageBox::YesNo) == platform::MessageBox::Yes;
}

void PrintManager::Command2_Click()
{
    if (forms_.Tessera.disktype == LabelKind::Custom) {
        forms_.CustomPre.hide();
        forms_.CustomOp.hide();
    }
    forms_.hideWizard();
    forms_.Tessera.show();
}
