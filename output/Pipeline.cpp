#include "output/Pipeline.h"

#include "platform/PdfDocument.h"
#include "platform/Printable.h"
#include "platform/ReplaceFile.h"
#include "platform/Settings.h"
#include "platform/UserFile.h"
#include "stock/SheetMemory.h"
#include "ui/Fonts.h"

#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QPagedPaintDevice>

#include <langinfo.h>
#include <memory>
#include <utility>

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

// Qt's PDF writer counts the offsets in its document in an int: the document
// stays below 2 GB.
constexpr qint64 kMaxPdfBytes = (qint64(1) << 31) - 1;

// Where a document's bytes go as they are made, a chunk at a time: a PDF
// file replaced whole, a descriptor, or a print job. The first failure
// stops the document; its reason is kept.
class Sink final : public QIODevice {
public:
    explicit Sink(QIODevice& target) : target_(target) { open(QIODevice::WriteOnly | QIODevice::Unbuffered); }
    bool isSequential() const override { return true; }
    bool failed() const { return !problem_.isEmpty(); }
    const QString& problem() const { return problem_; }

    // Sends what is held back; says whether everything arrived.
    bool drain()
    {
        if (!failed() && !pending_.isEmpty() && target_.write(pending_) != pending_.size())
            problem_ = target_.errorString();
        pending_.clear();
        return !failed();
    }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 size) override
    {
        if (!failed() && (written_ += size) > kMaxPdfBytes)
            problem_ = QStringLiteral("the PDF document would be larger than 2 GB, more than the PDF writer can make");
        if (!failed()) {
            pending_.append(data, size);
            if (pending_.size() >= kChunkBytes)
                drain();
        }
        if (failed()) {
            setErrorString(problem_);
            return -1;
        }
        return size;
    }

private:
    static constexpr qsizetype kChunkBytes = 1 << 16;
    QIODevice& target_;
    QByteArray pending_;
    qint64 written_ = 0;
    QString problem_;
};

// Why an existing file at `path` is not one to replace with a PDF file, or
// nothing.
QString existingFileProblem(const QString& path)
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

// Makes the document `paint` draws and hands it to `destination` as it is
// made: a PDF file is committed only when the whole document was written,
// a print job is finished only then, and withdrawn otherwise.
template <typename Paint>
void write(const QPageLayout& layout, const platform::Destination& destination, const QString& title, Services services,
           const std::stop_token& stop, const Paint& paint)
{
    std::unique_ptr<platform::FileReplacement> file;
    QFile descriptor;
    std::unique_ptr<platform::PrintJob> job;
    QIODevice* target = nullptr;
    if (destination.pdfDescriptor >= 0) {
        if (!descriptor.open(destination.pdfDescriptor, QIODevice::WriteOnly | QIODevice::Unbuffered,
                             QFileDevice::DontCloseHandle))
            throw fileError(destination.pdfFile, descriptor.errorString());
        target = &descriptor;
    } else if (destination.toFile()) {
        if (const QString problem = existingFileProblem(destination.pdfFile); !problem.isEmpty())
            throw fileError(destination.pdfFile, problem);
        file = std::make_unique<platform::FileReplacement>(destination.pdfFile);
        if (const ui::Result<void, QString> started = file->start(); !started)
            throw fileError(destination.pdfFile, started.error());
        target = file.get();
    } else {
        try {
            job = services.printer.startJob(destination.queue, layout.pageSize().key(), title);
        } catch (const ui::Error& error) {
            throw asPrinterError(error);
        }
        target = job.get();
    }
    // What failed, said as the destination says it.
    const auto failure = [&](const QString& why) {
        if (job)
            job->cancel();
        return destination.toFile() ? fileError(destination.pdfFile, why) : printerError(why);
    };

    Sink sink(*target);
    try {
        platform::writePdfDocument(
            &sink, layout, kResolution, title, [&sink, &stop] { return sink.failed() || stop.stop_requested(); },
            paint);
    } catch (const ui::Error& error) {
        // A page that could not start because the bytes found no room is
        // told as that.
        if (sink.failed())
            throw failure(sink.problem());
        if (job)
            job->cancel();
        throw;
    }
    if (!sink.drain())
        throw failure(sink.problem());
    // Cancelled until now, nothing is printed or replaced.
    if (stop.stop_requested()) {
        if (job)
            job->cancel();
        throw ui::Stopped();
    }
    if (file) {
        if (const ui::Result<void, QString> saved = file->commit(); !saved)
            throw fileError(destination.pdfFile, saved.error());
    } else if (job) {
        try {
            job->finish();
        } catch (const ui::Error& error) {
            throw asPrinterError(error);
        }
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
    qsizetype given = 0;
    return print(stock::LabelStream{labels.size(), [&]() { return given < labels.size() ? labels[given++] : nullptr; }},
                 std::move(choice), destination, title, services, std::move(stop));
}

Printed print(const stock::LabelStream& labels, stock::Choice choice, const platform::Destination& destination,
              const QString& title, Services services, std::stop_token stop)
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

    // The first label is made before anything is written: without one,
    // nothing is. Each label's characters are looked at as it comes.
    const auto seen = [&printed](const platform::Printable* label) {
        if (label)
            printed.missingCharacters += ui::charactersNotIn(missingCharacters({label}), printed.missingCharacters);
        return label;
    };
    const platform::Printable* first = seen(labels.next());
    if (!first)
        return printed;
    const stock::LabelStream stream{labels.most, [&]() -> const platform::Printable* {
                                        if (const platform::Printable* label = std::exchange(first, nullptr))
                                            return label;
                                        return seen(labels.next());
                                    }};
    const QPageLayout layout = stock::pageLayoutFor(choice).value_or(destination.plainPaper);
    write(layout, destination, title, services, stop,
          [&](QPagedPaintDevice& device) { printed.cells = stock::paintSheets(device, stream, choice); });
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
    write(*stock::pageLayoutFor(choice), destination, title, services, stop, [&](QPagedPaintDevice& device) {
        stock::paintCalibrationPage(device, product, QString::fromLocal8Bit(queue));
    });
}

QString pdfTargetProblem(const QString& path)
{
    if (const QString problem = existingFileProblem(path); !problem.isEmpty())
        return problem;
    // The file is made as it will be when the document is written, and
    // dropped again.
    platform::FileReplacement probe(path);
    if (const ui::Result<void, QString> started = probe.start(); !started)
        return started.error();
    return {};
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
