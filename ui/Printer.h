#pragma once

#include <QString>
#include <memory>

class QPrinter;
class QWidget;

namespace ui {

// The process-wide current printer, set by the print setup dialog.
class Printer {
public:
    virtual ~Printer() = default;
    // The device the print setup dialog configures; never null.
    virtual QPrinter& device() = 0;
    // Prints the whole of `client` on one page at physical size (one pixel is
    // 1/96 inch), top-left at the printable area's top-left, and sends the
    // page at once. Raises Error 482 when the page cannot be started,
    // finished or handed to the printer.
    virtual void printPage(QWidget* client, const QString& jobName) = 0;
};

class SystemPrinter final : public Printer {
public:
    SystemPrinter();
    ~SystemPrinter() override;
    QPrinter& device() override;
    void printPage(QWidget* client, const QString& jobName) override;

private:
    void sendToQueue(QWidget* client, const QString& jobName);
    std::unique_ptr<QPrinter> printer_;
};

}  // namespace ui
