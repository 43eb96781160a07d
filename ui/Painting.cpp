#include "ui/Painting.h"

#include "ui/Units.h"

#include <QGuiApplication>
#include <QPaintDevice>
#include <QPainter>
#include <QScreen>

#include <cmath>

namespace ui {

namespace {
// A number a rounding error away from a whole one, as that one.
double snapped(double value)
{
    const double whole = std::round(value);
    return std::abs(value - whole) < 1e-9 ? whole : value;
}
}  // namespace

void paintDesignPixels(QPainter& painter, const QRectF& mm, const QSizeF& sizeMm)
{
    QTransform t = painter.worldTransform();
    t.translate(mm.x(), mm.y());
    t.scale(mm.width() / sizeMm.width() * pxToMm(1), mm.height() / sizeMm.height() * pxToMm(1));
    // Through millimetres and back, a scale of 1 comes out a rounding error
    // away from it, and Qt would draw lines and text as scaled.
    if (t.type() <= QTransform::TxScale)
        t = QTransform(snapped(t.m11()), 0, 0, snapped(t.m22()), snapped(t.dx()), snapped(t.dy()));
    painter.setWorldTransform(t);
}

QFont screenSized(const QFont& font, const QPainter& painter)
{
    // Qt takes a font's points at the resolution of the device it paints
    // on; a printer's page has many more dots to the inch than the screen.
    // A widget is on the screen already.
    const QPaintDevice* device = painter.device();
    if (!device || device->devType() == QInternal::Widget || font.pointSizeF() <= 0)
        return font;
    const QScreen* screen = QGuiApplication::primaryScreen();
    const int screenDpi = screen ? qRound(screen->logicalDotsPerInchY()) : 96;
    const int deviceDpi = device->logicalDpiY();
    if (deviceDpi == screenDpi || deviceDpi <= 0)
        return font;
    QFont sized = font;
    sized.setPointSizeF(font.pointSizeF() * screenDpi / deviceDpi);
    return sized;
}

}  // namespace ui
