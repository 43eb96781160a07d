#include "platform/Printer.h"

#include "platform/PdfDocument.h"

#include "ui/Error.h"

#include <QDir>
#include <QPagedPaintDevice>
#include <QPdfWriter>
#include <QPrinter>
#include <QTemporaryFile>

#include <cups/cups.h>

namespace platform {

namespace {
ui::Error printerError(const QString& why)
{
    return ui::Error::of(ui::Error::PrinterError,
                         ui::standardDescription(ui::Error::PrinterError) + QStringLiteral(": ") + why);
}

// The queue must exist, run and accept jobs, or the page would be lost.
void checkQueue(const QByteArray& name)
{
    cups_dest_t* dest = cupsGetNamedDest(CUPS_HTTP_DEFAULT, name.constData(), nullptr);
    if (!dest)
        throw printerError(QStringLiteral("printer \"%1\" not found (%2)")
                               .arg(QString::fromLocal8Bit(name), QString::fromUtf8(cupsLastErrorString())));
    const char* state = cupsGetOption("printer-state", dest->num_options, dest->options);
    const char* accepting = cupsGetOption("printer-is-accepting-jobs", dest->num_options, dest->options);
    const bool stopped = state && qstrcmp(state, "5") == 0;
    const bool rejecting = accepting && qstricmp(accepting, "false") == 0;
    cupsFreeDests(1, dest);
    if (stopped)
        throw printerError(QStringLiteral("printer \"%1\" is stopped").arg(QString::fromLocal8Bit(name)));
    if (rejecting)
        throw printerError(QStringLiteral("printer \"%1\" does not accept jobs").arg(QString::fromLocal8Bit(name)));
}

// The layout a print is written with: the one it needs, or else the chosen
// printer's.
QPageLayout layoutFor(const QPrinter& printer, const std::optional<QPageLayout>& needed)
{
    if (needed)
        return *needed;
    QPageLayout layout = printer.pageLayout();
    if (printer.fullPage())
        layout.setMode(QPageLayout::FullPageMode);
    return layout;
}

}  // namespace

SystemPrinter::SystemPrinter() = default;
SystemPrinter::~SystemPrinter() = default;

QPrinter& SystemPrinter::device()
{
    // Made on first use: asking the spooler for its printers costs start-up time.
    if (!printer_)
        printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
    return *printer_;
}

stock::PrintedCells SystemPrinter::print(const QList<const Printable*>& labels, const stock::Choice& choice,
                                         const QString& jobName)
{
    stock::PrintedCells printed;
    printDocument(
        stock::pageLayoutFor(choice),
        [&](QPagedPaintDevice& pdf) { printed = stock::paintSheets(pdf, labels, choice); }, jobName);
    return printed;
}

void SystemPrinter::printCalibrationPage(const stock::Product& product, const QString& printer, const QString& jobName)
{
    stock::Choice choice;
    choice.product = product;
    printDocument(
        stock::pageLayoutFor(choice),
        [&](QPagedPaintDevice& pdf) { stock::paintCalibrationPage(pdf, product, printer); }, jobName);
}

// The pages are handed to the spooler by us rather than by Qt, so that a
// queue that refuses them is reported, and so that the spooler is told not to
// scale them.
void SystemPrinter::printDocument(const std::optional<QPageLayout>& needed, const Paint& paint, const QString& jobName)
{
    QPrinter& printer = device();
    const QPageLayout layout = layoutFor(printer, needed);
    if (printer.outputFormat() == QPrinter::PdfFormat) {
        if (printer.outputFileName().isEmpty())
            throw printerError(QStringLiteral("no output file is set"));
        writePdfDocument(printer.outputFileName(), layout, printer.resolution(), jobName, paint);
        return;
    }
    const QByteArray name = printer.printerName().toLocal8Bit();
    if (name.isEmpty())
        throw printerError(QStringLiteral("no printer is set up"));
    checkQueue(name);

    QTemporaryFile file(QDir::tempPath() + QStringLiteral("/tessera-XXXXXX.pdf"));
    if (!file.open())
        throw printerError(QStringLiteral("no temporary file: %1").arg(file.errorString()));
    file.close();

    writePdfDocument(file.fileName(), layout, printer.resolution(), jobName, paint);

    cups_option_t* options = nullptr;
    int count = 0;
    count = cupsAddOption("print-scaling", "none", count, &options);
    count = cupsAddOption("fit-to-page", "false", count, &options);
    const QByteArray media = layout.pageSize().key().toLatin1();
    if (!media.isEmpty())
        count = cupsAddOption("media", media.constData(), count, &options);
    const int job = cupsPrintFile2(CUPS_HTTP_DEFAULT, name.constData(), QFile::encodeName(file.fileName()).constData(),
                                   jobName.toUtf8().constData(), count, options);
    cupsFreeOptions(count, options);
    if (job == 0)
        throw printerError(QString::fromUtf8(cupsLastErrorString()));
}

QByteArray defaultQueue()
{
    cups_dest_t* dest = cupsGetNamedDest(CUPS_HTTP_DEFAULT, nullptr, nullptr);
    if (!dest)
        return {};
    const QByteArray name = dest->name;
    cupsFreeDests(1, dest);
    return name;
}

}  // namespace platform
