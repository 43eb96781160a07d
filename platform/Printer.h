#pragma once

#include "ui/Error.h"

#include <QByteArray>
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

    bool toFile() const { return !pdfFile.isEmpty(); }
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
    // Hands `pdf` to `queue` as one job named `title`, printed unscaled on
    // the paper `media` names (a page size key, or empty for the queue's
    // own). Raises Error 482 when the queue does not take it.
    virtual void submit(const QByteArray& queue, const QByteArray& pdf, const QString& media, const QString& title) = 0;
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
    void submit(const QByteArray& queue, const QByteArray& pdf, const QString& media, const QString& title) override;

private:
    std::unique_ptr<QPrinter> printer_;
};

// The plain-paper layout a QPrinter prints on: its page, margins and
// full-page mode.
QPageLayout plainPaperOf(const QPrinter& printer);

}  // namespace platform
