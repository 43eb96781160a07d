#include "platform/ScriptedPrinter.h"

#include <QPrinter>

namespace platform {

ScriptedPrinter::ScriptedPrinter() = default;
ScriptedPrinter::~ScriptedPrinter() = default;

QPrinter& ScriptedPrinter::device()
{
    if (!device_)
        device_ = std::make_unique<QPrinter>(QPrinter::ScreenResolution);
    return *device_;
}

Destination ScriptedPrinter::chosen()
{
    QPrinter& printer = device();
    Destination destination;
    destination.plainPaper = plainPaperOf(printer);
    if (printer.outputFormat() == QPrinter::PdfFormat && !printer.outputFileName().isEmpty())
        destination.pdfFile = printer.outputFileName();
    else
        destination.queue = chosenQueue_.isEmpty() ? defaultQueue() : chosenQueue_;
    return destination;
}

QByteArray ScriptedPrinter::defaultQueue() { return queues.value(0); }

void ScriptedPrinter::checkQueue(const QByteArray& queue)
{
    if (!queues.contains(queue))
        throw ui::Error::of(
            ui::Error::PrinterError,
            QStringLiteral("Printer error: printer \"%1\" not found").arg(QString::fromLocal8Bit(queue)));
}

namespace {

// A job that keeps its document, and joins the printer's jobs when finished.
class KeptJob final : public PrintJob {
public:
    KeptJob(ScriptedPrinter& printer, ScriptedPrinter::Job job) : printer_(printer), job_(std::move(job))
    {
        open(QIODevice::WriteOnly);
    }
    void finish() override
    {
        if (printer_.failWith) {
            const ui::Error error = *printer_.failWith;
            printer_.failWith.reset();
            throw error;
        }
        printer_.jobs.append(job_);
        if (printer_.whenFinished)
            printer_.whenFinished();
    }
    void cancel() override {}

protected:
    qint64 writeData(const char* data, qint64 size) override
    {
        job_.pdf.append(data, size);
        return size;
    }

private:
    ScriptedPrinter& printer_;
    ScriptedPrinter::Job job_;
};

}  // namespace

std::unique_ptr<PrintJob> ScriptedPrinter::startJob(const QByteArray& queue, const QString& media, const QString& title)
{
    return std::make_unique<KeptJob>(*this, Job{queue, title, media, {}});
}

}  // namespace platform
