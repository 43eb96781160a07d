#pragma once

#include "stock/SheetPrinting.h"
#include "ui/Error.h"

#include <QImage>
#include <QList>
#include <QRectF>
#include <QSize>
#include <QSizeF>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

class QPagedPaintDevice;
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
    // Prints `labels` as `choice` lays them out (stock::paintSheets): on
    // label stock on the product's paper whatever the device's, on plain paper
    // on the device's page. Every page goes in one job, sent at once. Raises
    // Error 482 when a page cannot be started, finished or handed to the
    // printer; then nothing counts as printed.
    virtual stock::PrintedCells print(const QList<const Printable*>& labels, const stock::Choice& choice,
                                      const QString& jobName) = 0;
    // The calibration page of `product` for the queue `printer`, on the
    // product's paper, as one job.
    virtual void printCalibrationPage(const stock::Product& product, const QString& printer,
                                      const QString& jobName) = 0;

    // Prints `label` on one page at its size, top-left at the printable
    // area's top-left, and sends the page at once.
    void printPage(const Printable& label, const QString& jobName) { print({&label}, stock::Choice(), jobName); }
};

class SystemPrinter final : public Printer {
public:
    SystemPrinter();
    ~SystemPrinter() override;
    QPrinter& device() override;
    stock::PrintedCells print(const QList<const Printable*>& labels, const stock::Choice& choice,
                              const QString& jobName) override;
    void printCalibrationPage(const stock::Product& product, const QString& printer, const QString& jobName) override;

private:
    using Paint = std::function<void(QPagedPaintDevice&)>;
    // Writes the pages `paint` paints, on `layout` or else the device's, to
    // the output file or through the spooler.
    void printDocument(const std::optional<QPageLayout>& layout, const Paint& paint, const QString& jobName);
    std::unique_ptr<QPrinter> printer_;
};

// The system's default print queue, or an empty name when none is set up.
QByteArray defaultQueue();

// Keeps each page as a picture instead of printing it (tests).
class ScriptedPrinter final : public Printer {
public:
    // A page on plain paper, or a whole print on label stock or a calibration page.
    struct Page {
        QSize size;  // the label's size in pixels (1/96 inch); on label stock the paper's
        QString jobName;
        QImage image;  // the label as painted, one pixel to 1/96 inch, for geometry checks
        stock::Choice choice;
        QByteArray pdf;  // on label stock: the print as a PDF document
    };
    ScriptedPrinter();
    ~ScriptedPrinter() override;
    QList<Page> pages;
    std::optional<ui::Error> failWith;  // raised by the next printPage

    QPrinter& device() override;
    stock::PrintedCells print(const QList<const Printable*>& labels, const stock::Choice& choice,
                              const QString& jobName) override;
    void printCalibrationPage(const stock::Product& product, const QString& printer, const QString& jobName) override;

private:
    void failIfScripted();
    std::unique_ptr<QPrinter> device_;
};

}  // namespace platform
