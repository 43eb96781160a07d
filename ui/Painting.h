#pragma once

#include <QFont>
#include <QRectF>
#include <QSizeF>

class QPainter;

// Painting a label on any device: the screen, a printer's page, a picture.
namespace ui {

// Sets `painter`, whose units are millimetres, to paint a design in pixels
// (1/96 inch) into `mm`, the design being `sizeMm` large. On the screen, one
// design pixel is then exactly one pixel.
void paintDesignPixels(QPainter& painter, const QRectF& mm, const QSizeF& sizeMm);

// `font` for `painter`: text takes the size on every device that it has on
// the screen, where the designs are laid out.
QFont screenSized(const QFont& font, const QPainter& painter);

}  // namespace ui
