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

void ScriptedPrinter::submit(const QByteArray& queue, const QByteArray& pdf, const QString& media, const QString& title)
{
    if (failWith) {
        const ui::Error error = *failWith;
        failWith.reset();
        throw error;
    }
    jobs.append(Job{queue, title, media, pdf});
}

}  // namespace platform
