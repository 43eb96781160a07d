#include "platform/Printer.h"

#include "platform/PdfDocument.h"

#include "ui/Units.h"

#include <QBuffer>
#include <QPainter>
#include <QPdfWriter>
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

void ScriptedPrinter::failIfScripted()
{
    if (failWith) {
        const ui::Error error = *failWith;
        failWith.reset();
        throw error;
    }
}

namespace {
// A label as painted on plain paper.
ScriptedPrinter::Page picture(const Printable& label, const QString& jobName)
{
    const QSizeF mm = label.sizeMm();
    const QSize size(qRound(ui::mmToPx(mm.width())), qRound(ui::mmToPx(mm.height())));
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.scale(ui::mmToPx(1), ui::mmToPx(1));
    label.paint(painter, QRectF(QPointF(), mm));
    painter.end();
    return {size, jobName, image, {}, {}};
}

// A whole print on the choice's paper as a PDF document.
template <typename Paint>
ScriptedPrinter::Page document(const stock::Choice& choice, const QString& jobName, const Paint& paint)
{
    const QPageLayout layout = *stock::pageLayoutFor(choice);
    const QSizeF inches = layout.fullRect(QPageLayout::Inch).size();
    ScriptedPrinter::Page page{
        QSize(qRound(inches.width() * 96), qRound(inches.height() * 96)), jobName, {}, choice, {}};
    QBuffer buffer(&page.pdf);
    buffer.open(QIODevice::WriteOnly);
    writePdfDocument(&buffer, layout, 1200, jobName, paint);
    return page;
}
}  // namespace

stock::PrintedCells ScriptedPrinter::print(const QList<const Printable*>& labels, const stock::Choice& choice,
                                           const QString& jobName)
{
    failIfScripted();
    if (choice.plainPaper()) {
        for (const Printable* label : labels)
            for (int i = 0; i < choice.copies; ++i)
                pages.append(picture(*label, jobName));
        return {};
    }
    stock::PrintedCells printed;
    pages.append(
        document(choice, jobName, [&](QPagedPaintDevice& pdf) { printed = stock::paintSheets(pdf, labels, choice); }));
    return printed;
}

void ScriptedPrinter::printCalibrationPage(const stock::Product& product, const QString& printer,
                                           const QString& jobName)
{
    failIfScripted();
    stock::Choice choice;
    choice.product = product;
    pages.append(
        document(choice, jobName, [&](QPagedPaintDevice& pdf) { stock::paintCalibrationPage(pdf, product, printer); }));
}

}  // namespace platform
