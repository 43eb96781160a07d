#include "platform/Printer.h"

#include <QPrinter>

#include <cups/cups.h>

namespace platform {

namespace {

ui::Error printerError(const QString& why)
{
    return ui::Error::of(ui::Error::PrinterError,
                         ui::standardDescription(ui::Error::PrinterError) + QStringLiteral(": ") + why);
}

QString cupsProblem() { return QString::fromUtf8(cupsLastErrorString()); }

}  // namespace

QPageLayout plainPaperOf(const QPrinter& printer)
{
    QPageLayout layout = printer.pageLayout();
    if (printer.fullPage())
        layout.setMode(QPageLayout::FullPageMode);
    return layout;
}

SystemPrinter::SystemPrinter() = default;
SystemPrinter::~SystemPrinter() = default;

QPrinter& SystemPrinter::device()
{
    // Made on first use: asking the spooler for its printers costs start-up time.
    if (!printer_)
        printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
    return *printer_;
}

Destination SystemPrinter::chosen()
{
    QPrinter& printer = device();
    Destination destination;
    destination.plainPaper = plainPaperOf(printer);
    // Without any printer Qt falls back to a PDF file with no name: then no
    // printer is set up.
    if (printer.outputFormat() == QPrinter::PdfFormat)
        destination.pdfFile = printer.outputFileName();
    else
        destination.queue = printer.printerName().toLocal8Bit();
    return destination;
}

QByteArray SystemPrinter::defaultQueue()
{
    cups_dest_t* dest = cupsGetNamedDest(CUPS_HTTP_DEFAULT, nullptr, nullptr);
    if (!dest)
        return {};
    const QByteArray name = dest->name;
    cupsFreeDests(1, dest);
    return name;
}

// The queue must exist, run and accept jobs, or the page would be lost.
void SystemPrinter::checkQueue(const QByteArray& name)
{
    cups_dest_t* dest = cupsGetNamedDest(CUPS_HTTP_DEFAULT, name.constData(), nullptr);
    if (!dest)
        throw printerError(
            QStringLiteral("printer \"%1\" not found (%2)").arg(QString::fromLocal8Bit(name), cupsProblem()));
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

// The document is streamed to the spooler as one job, which is told not to
// scale it: a queue that refuses it is reported.
void SystemPrinter::submit(const QByteArray& queue, const QByteArray& pdf, const QString& media, const QString& title)
{
    cups_option_t* options = nullptr;
    int count = 0;
    count = cupsAddOption("print-scaling", "none", count, &options);
    count = cupsAddOption("fit-to-page", "false", count, &options);
    const QByteArray paper = media.toLatin1();
    if (!paper.isEmpty())
        count = cupsAddOption("media", paper.constData(), count, &options);
    const QByteArray name = title.toUtf8();
    const int job = cupsCreateJob(CUPS_HTTP_DEFAULT, queue.constData(), name.constData(), count, options);
    cupsFreeOptions(count, options);
    if (job == 0)
        throw printerError(cupsProblem());
    const auto cancel = [&] {
        const QString why = cupsProblem();
        cupsCancelJob2(CUPS_HTTP_DEFAULT, queue.constData(), job, 0);
        return printerError(why);
    };
    if (cupsStartDocument(CUPS_HTTP_DEFAULT, queue.constData(), job, name.constData(), CUPS_FORMAT_PDF, 1) !=
        HTTP_STATUS_CONTINUE)
        throw cancel();
    if (cupsWriteRequestData(CUPS_HTTP_DEFAULT, pdf.constData(), size_t(pdf.size())) != HTTP_STATUS_CONTINUE)
        throw cancel();
    if (cupsFinishDocument(CUPS_HTTP_DEFAULT, queue.constData()) != IPP_STATUS_OK)
        throw cancel();
}

}  // namespace platform
