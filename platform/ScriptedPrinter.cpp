#include "platform/Printer.h"

#include "ui/Units.h"

#include <QPainter>
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

void ScriptedPrinter::printPage(const Printable& label, const QString& jobName)
{
    if (failWith) {
        const ui::Error error = *failWith;
        failWith.reset();
        throw error;
    }
    const QSizeF mm = label.sizeMm();
    const QSize size(qRound(ui::mmToPx(mm.width())), qRound(ui::mmToPx(mm.height())));
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.scale(ui::mmToPx(1), ui::mmToPx(1));
    label.paint(painter, QRectF(QPointF(), mm));
    painter.end();
    pages.append({size, jobName, image});
}

}  // namespace platform
