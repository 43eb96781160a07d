#include "output/Pipeline.h"

#include "platform/PdfDocument.h"
#include "platform/Printable.h"
#include "platform/ReplaceFile.h"
#include "platform/Settings.h"
#include "platform/UserFile.h"
#include "stock/SheetMemory.h"

#include <QBuffer>
#include <QFileInfo>
#include <QLocale>
#include <QPagedPaintDevice>

#include <langinfo.h>

namespace output {

namespace {

ui::Error printerError(const QString& why)
{
    return ui::Error::of(ui::Error::PrinterError,
                         ui::standardDescription(ui::Error::PrinterError) + QStringLiteral(": ") + why);
}

// Whatever the spooler raised is a printer error: the job did not print.
ui::Error asPrinterError(const ui::Error& error)
{
    return error.number == ui::Error::PrinterError ? error : printerError(error.description);
}

ui::Error fileError(const QString& path, const QString& why)
{
    return ui::Error::of(ui::Error::PathFileAccess, QStringLiteral("%1 could not be written: %2.").arg(path, why));
}

// The document, made in memory.
template <typename Paint>
QByteArray render(const QPageLayout& layout, const QString& title, const Paint& paint)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    platform::writePdfDocument(&buffer, layout, kResolution, title, paint);
    return buffer.data();
}

void deliver(const QByteArray& pdf, const QPageLayout& layout, const platform::Destination& destination,
             const QString& title, Services services, const std::stop_token& stop)
{
    if (stop.stop_requested())
        throw ui::Stopped();
    if (destination.toFile()) {
        if (const QString problem = pdfTargetProblem(destination.pdfFile); !problem.isEmpty())
            throw fileError(destination.pdfFile, problem);
        if (const ui::Result<void, QString> saved = platform::replaceFile(destination.pdfFile, pdf); !saved)
            throw fileError(destination.pdfFile, saved.error());
        return;
    }
    try {
        services.printer.submit(destination.queue, pdf, layout.pageSize().key(), title);
    } catch (const ui::Error& error) {
        throw asPrinterError(error);
    }
}

// The queue is there and takes jobs, before anything is painted.
void checkDestination(const platform::Destination& destination, Services services)
{
    if (destination.toFile())
        return;
    if (destination.queue.isEmpty())
        throw printerError(QStringLiteral("no printer is set up"));
    try {
        services.printer.checkQueue(destination.queue);
    } catch (const ui::Error& error) {
        throw asPrinterError(error);
    }
}

QString cellList(const QList<int>& cells)
{
    QStringList numbers;
    for (int cell : cells)
        numbers.append(QString::number(cell));
    return numbers.join(QStringLiteral(", "));
}

}  // namespace

Printed print(const QList<const platform::Printable*>& labels, stock::Choice choice,
              const platform::Destination& destination, const QString& title, Services services, std::stop_token stop)
{
    checkDestination(destination, services);
    const bool onSheets = choice.product && !destination.toFile();
    Printed printed;
    if (onSheets) {
        const stock::StoredCalibration stored =
            stock::readCalibration(services.settings, QString::fromLocal8Bit(destination.queue));
        choice.calibration = stored.calibration;
        printed.calibrationProblem = stored.problem;
    } else {
        choice.calibration = stock::Calibration();
    }
    stock::SheetMemory memory(services.settings);
    if (onSheets && choice.usedWhenChosen) {
        if (const std::optional<stock::PrintRun> run = choice.run()) {
            if (const QList<int> gone = memory.usedSince(*choice.product, *run, *choice.usedWhenChosen);
                !gone.isEmpty())
                throw ui::Error::of(
                    ui::Error::ApplicationDefined,
                    QStringLiteral("%1 %2 of the sheet in the printer %3 used by another print meanwhile. Choose "
                                   "the first label to print on again.")
                        .arg(gone.size() == 1 ? QStringLiteral("Label") : QStringLiteral("Labels"), cellList(gone),
                             gone.size() == 1 ? QStringLiteral("was") : QStringLiteral("were")));
        }
    }

    const QPageLayout layout = stock::pageLayoutFor(choice).value_or(destination.plainPaper);
    const QByteArray pdf = render(
        layout, title, [&](QPagedPaintDevice& device) { printed.cells = stock::paintSheets(device, labels, choice); });
    deliver(pdf, layout, destination, title, services, stop);
    if (onSheets && printed.cells.product && printed.cells.run &&
        !memory.recordPrint(*printed.cells.product, *printed.cells.run))
        printed.settingsProblem = services.settings.problem();
    return printed;
}

void printCalibrationPage(const stock::Product& product, const QByteArray& queue, const QString& title,
                          Services services, std::stop_token stop)
{
    const platform::Destination destination{QString(), queue, QPageLayout()};
    checkDestination(destination, services);
    stock::Choice choice;
    choice.product = product;
    const QPageLayout layout = *stock::pageLayoutFor(choice);
    const QByteArray pdf = render(layout, title, [&](QPagedPaintDevice& device) {
        stock::paintCalibrationPage(device, product, QString::fromLocal8Bit(queue));
    });
    deliver(pdf, layout, destination, title, services, stop);
}

QString pdfTargetProblem(const QString& path)
{
    const QFileInfo target(path);
    if (!target.exists())
        return {};
    if (target.isDir())
        return QStringLiteral("that is a folder");
    if (!target.isFile())
        return QStringLiteral("that is not a regular file");
    if (target.size() == 0)
        return {};
    QByteArray start;
    try {
        start = platform::UserFile(path).readUpTo(4);
    } catch (const ui::Error& error) {
        return error.description;
    }
    return start.startsWith("%PDF") ? QString()
                                    : QStringLiteral(
                                          "a file of that name is there and it is not a PDF file, so it is "
                                          "not replaced");
}

QPageLayout defaultPlainPaper()
{
    // The locale's paper in millimetres, as glibc knows it from LC_PAPER.
    const int width = int(reinterpret_cast<std::intptr_t>(::nl_langinfo(_NL_PAPER_WIDTH)));
    const int height = int(reinterpret_cast<std::intptr_t>(::nl_langinfo(_NL_PAPER_HEIGHT)));
    QPageSize size(QLocale().measurementSystem() == QLocale::ImperialUSSystem ? QPageSize::Letter : QPageSize::A4);
    if (width > 0 && height > 0 && width < 2000 && height < 2000)
        size = QPageSize(QSizeF(width, height), QPageSize::Millimeter, QString(), QPageSize::FuzzyMatch);
    return QPageLayout(size, QPageLayout::Portrait, QMarginsF());
}

}  // namespace output
