#include "platform/Printer.h"

#include "ui/Error.h"
#include "ui/Units.h"

#include <QDir>
#include <QPagedPaintDevice>
#include <QPainter>
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

// Paints `label` onto one page of `device` at its size.
void paintPage(QPagedPaintDevice& device, const Printable& label)
{
    QPainter painter;
    if (!painter.begin(&device))
        throw printerError(QStringLiteral("the page could not be started"));
    painter.scale(device.logicalDpiX() / ui::kMmPerInch, device.logicalDpiY() / ui::kMmPerInch);
    label.paint(painter, QRectF(QPointF(), label.sizeMm()));
    if (!painter.end())
        throw printerError(QStringLiteral("the page could not be finished"));
}

// Pages are written with the chosen printer's layout and resolution into a
// PDF: vector output, every line and every text.
void writePdf(const QPrinter& printer, const QString& fileName, const Printable& label, const QString& jobName)
{
    QPdfWriter pdf(fileName);
    QPageLayout layout = printer.pageLayout();
    if (printer.fullPage())
        layout.setMode(QPageLayout::FullPageMode);
    pdf.setPageLayout(layout);
    pdf.setResolution(printer.resolution());
    pdf.setTitle(jobName);
    pdf.setCreator(QStringLiteral("Tessera"));
    paintPage(pdf, label);
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

void SystemPrinter::printPage(const Printable& label, const QString& jobName)
{
    QPrinter& printer = device();
    if (printer.outputFormat() == QPrinter::PdfFormat) {
        if (printer.outputFileName().isEmpty())
            throw printerError(QStringLiteral("no output file is set"));
        writePdf(printer, printer.outputFileName(), label, jobName);
        return;
    }
    sendToQueue(label, jobName);
}

// The page is handed to the spooler by us rather than by Qt, so that a queue
// that refuses it is reported, and so that the spooler is told not to scale
// the label.
void SystemPrinter::sendToQueue(const Printable& label, const QString& jobName)
{
    QPrinter& printer = device();
    const QByteArray name = printer.printerName().toLocal8Bit();
    if (name.isEmpty())
        throw printerError(QStringLiteral("no printer is set up"));

    QTemporaryFile file(QDir::tempPath() + QStringLiteral("/tessera-XXXXXX.pdf"));
    if (!file.open())
        throw printerError(QStringLiteral("no temporary file: %1").arg(file.errorString()));
    file.close();

    writePdf(printer, file.fileName(), label, jobName);
    printPdf(name, file.fileName(), jobName, printer.pageLayout().pageSize().key().toLatin1());
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

void printPdf(const QByteArray& queue, const QString& pdf, const QString& jobName, const QByteArray& media)
{
    checkQueue(queue);
    cups_option_t* options = nullptr;
    int count = 0;
    count = cupsAddOption("print-scaling", "none", count, &options);
    count = cupsAddOption("fit-to-page", "false", count, &options);
    if (!media.isEmpty())
        count = cupsAddOption("media", media.constData(), count, &options);
    const int job = cupsPrintFile2(CUPS_HTTP_DEFAULT, queue.constData(), QFile::encodeName(pdf).constData(),
                                   jobName.toUtf8().constData(), count, options);
    cupsFreeOptions(count, options);
    if (job == 0)
        throw printerError(QString::fromUtf8(cupsLastErrorString()));
}

}  // namespace platform
