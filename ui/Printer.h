#pragma once

#include <QRectF>
#include <QSizeF>
#include <QString>
#include <memory>

class QPainter;
class QPrinter;

namespace ui {

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

}  // namespace ui
