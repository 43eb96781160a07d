#pragma once

#include "ui/Error.h"

#include <QImage>
#include <QList>
#include <QRectF>
#include <QSize>
#include <QSizeF>
#include <QString>
#include <memory>
#include <optional>

class QPainter;
class QPrinter;

namespace platform {

// A thing printed: a label of a given size that paints itself.
class Printable {
public:
    virtual ~Printable() = default;
    virtual QSizeF sizeMm() const = 0;
    // Paints into `mm`, a rectangle in the painter's millimetres.
    virtual void paint(QPainter& painter, const QRectF& mm) const = 0;
};

// The process-wide current printer, set by the print setup dialog.
class Printer {
public:
    virtual ~Printer() = default;
    // The device the print setup dialog configures; never null.
    virtual QPrinter& device() = 0;
    // Prints `label` on one page at its size, top-left at the printable
    // area's top-left, and sends the page at once. Raises Error 482 when the
    // page cannot be started, finished or handed to the printer.
    virtual void printPage(const Printable& label, const QString& jobName) = 0;
};

class SystemPrinter final : public Printer {
public:
    SystemPrinter();
    ~SystemPrinter() override;
    QPrinter& device() override;
    void printPage(const Printable& label, const QString& jobName) override;

private:
    void sendToQueue(const Printable& label, const QString& jobName);
    std::unique_ptr<QPrinter> printer_;
};

// The system's default print queue, or an empty name when none is set up.
QByteArray defaultQueue();
// Hands the PDF file `pdf` to the print queue `queue` as one job, the
// spooler told not to scale it, on paper `media` (a page size key, or empty
// for the queue's own). Raises Error 482 when the queue is missing, stopped
// or refuses jobs, or the spooler refuses the job.
void printPdf(const QByteArray& queue, const QString& pdf, const QString& jobName, const QByteArray& media);

// Keeps each page as a picture instead of printing it (tests).
class ScriptedPrinter final : public Printer {
public:
    struct Page {
        QSize size;  // the label's size in pixels (1/96 inch)
        QString jobName;
        QImage image;  // the label as painted, one pixel to 1/96 inch, for geometry checks
    };
    ScriptedPrinter();
    ~ScriptedPrinter() override;
    QList<Page> pages;
    std::optional<ui::Error> failWith;  // raised by the next printPage

    QPrinter& device() override;
    void printPage(const Printable& label, const QString& jobName) override;

private:
    std::unique_ptr<QPrinter> device_;
};

}  // namespace platform
