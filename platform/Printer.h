#pragma once

#include "ui/Error.h"

#include <QByteArray>
#include <QIODevice>
#include <QPageLayout>
#include <QString>
#include <memory>

class QPrinter;

namespace platform {

// Where a print goes: a PDF file, or a queue of the system's print spooler;
// and the paper a label on plain paper is printed on, at the corner of its
// printable area.
struct Destination {
    QString pdfFile;   // the PDF file to write; empty for a queue
    QByteArray queue;  // the queue; empty with no PDF file when no printer is set up
    QPageLayout plainPaper;
    // Instead of a file replaced whole: a descriptor the PDF is written to
    // as it is made (standard output, a pipe), named `pdfFile` in messages.
    int pdfDescriptor = -1;

    bool toFile() const { return !pdfFile.isEmpty() || pdfDescriptor >= 0; }
};

// A document on its way to a queue as one job: its bytes reach the spooler
// a chunk at a time as they are written. Withdrawn unless finished.
class PrintJob : public QIODevice {
public:
    bool isSequential() const override { return true; }
    // Ends the document, and the queue prints it. Raises Error 482 when the
    // queue did not take it (or a write failed); the job is then withdrawn.
    virtual void finish() = 0;
    // Withdraws the job: nothing of it prints.
    virtual void cancel() = 0;

protected:
    qint64 readData(char*, qint64) override { return -1; }
};

// The system's printers: the device that the print setup dialog sets up,
// and the spooler that takes the finished documents. Painting and writing
// files is not its business (output::print does both for every print).
class Printer {
public:
    virtual ~Printer() = default;
    // The device the print setup dialog configures; never null.
    virtual QPrinter& device() = 0;
    // Where the device sends a print, as the dialog left it.
    virtual Destination chosen() = 0;
    // The system's default queue, or empty when none is set up.
    virtual QByteArray defaultQueue() = 0;
    // Raises Error 482 naming the queue when it does not exist, is stopped or
    // does not accept jobs.
    virtual void checkQueue(const QByteArray& queue) = 0;
    // Starts a job named `title` on `queue` for a PDF document written to
    // it, printed unscaled on the paper `media` names (a page size key, or
    // empty for the queue's own). Raises Error 482 when the queue does not
    // take it.
    virtual std::unique_ptr<PrintJob> startJob(const QByteArray& queue, const QString& media, const QString& title) = 0;
};

// CUPS, through libcups.
class SystemPrinter final : public Printer {
public:
    SystemPrinter();
    ~SystemPrinter() override;
    QPrinter& device() override;
    Destination chosen() override;
    QByteArray defaultQueue() override;
    void checkQueue(const QByteArray& queue) override;
    std::unique_ptr<PrintJob> startJob(const QByteArray& queue, const QString& media, const QString& title) override;

private:
    std::unique_ptr<QPrinter> printer_;
};

// The plain-paper layout a QPrinter prints on: its page, margins and
// full-page mode.
QPageLayout plainPaperOf(const QPrinter& printer);

}  // namespace platform
