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

namespace {

// A job of the spooler's, its document sent as one request in chunks over a
// connection of its own. Cancelled, the connection is dropped first, so that
// a document not finished is never taken as whole (however much of it was
// sent), and the job is then cancelled over another connection.
class SpoolerJob final : public PrintJob {
public:
    SpoolerJob(const QByteArray& queue, http_t* http, int id) : queue_(queue), http_(http), id_(id)
    {
        open(QIODevice::WriteOnly);
    }
    ~SpoolerJob() override
    {
        cancel();
        disconnect();
    }

    void finish() override
    {
        if (problem_.isEmpty() && cupsFinishDocument(http_, queue_.constData()) != IPP_STATUS_OK)
            problem_ = cupsProblem();
        if (problem_.isEmpty()) {
            done_ = true;
            disconnect();
            return;
        }
        const QString why = problem_;
        cancel();
        throw printerError(why);
    }

    void cancel() override
    {
        if (done_)
            return;
        done_ = true;
        disconnect();
        cupsCancelJob2(CUPS_HTTP_DEFAULT, queue_.constData(), id_, 0);
    }

protected:
    // Each write is a chunk of the request's body.
    qint64 writeData(const char* data, qint64 size) override
    {
        if (problem_.isEmpty() && size > 0 &&
            (!http_ || cupsWriteRequestData(http_, data, size_t(size)) != HTTP_STATUS_CONTINUE))
            problem_ = http_ ? cupsProblem() : QStringLiteral("the job was cancelled");
        if (!problem_.isEmpty()) {
            setErrorString(problem_);
            return -1;
        }
        return size;
    }

private:
    void disconnect()
    {
        if (http_)
            httpClose(http_);
        http_ = nullptr;
    }

    QByteArray queue_;
    http_t* http_;
    int id_;
    QString problem_;  // why the spooler did not take the document
    bool done_ = false;
};

}  // namespace

// The job is told not to scale the document: a queue that refuses it is
// reported.
std::unique_ptr<PrintJob> SystemPrinter::startJob(const QByteArray& queue, const QString& media, const QString& title)
{
    cups_option_t* options = nullptr;
    int count = 0;
    count = cupsAddOption("print-scaling", "none", count, &options);
    count = cupsAddOption("fit-to-page", "false", count, &options);
    const QByteArray paper = media.toLatin1();
    if (!paper.isEmpty())
        count = cupsAddOption("media", paper.constData(), count, &options);
    const QByteArray name = title.toUtf8();
    http_t* http = httpConnect2(cupsServer(), ippPort(), nullptr, AF_UNSPEC, cupsEncryption(), 1, 30000, nullptr);
    if (!http) {
        cupsFreeOptions(count, options);
        throw printerError(QStringLiteral("the print spooler cannot be reached (%1)").arg(cupsProblem()));
    }
    const int id = cupsCreateJob(http, queue.constData(), name.constData(), count, options);
    cupsFreeOptions(count, options);
    if (id == 0) {
        const QString why = cupsProblem();
        httpClose(http);
        throw printerError(why);
    }
    auto job = std::make_unique<SpoolerJob>(queue, http, id);
    if (cupsStartDocument(http, queue.constData(), id, name.constData(), CUPS_FORMAT_PDF, 1) != HTTP_STATUS_CONTINUE) {
        const QString why = cupsProblem();
        job->cancel();
        throw printerError(why);
    }
    return job;
}

}  // namespace platform
