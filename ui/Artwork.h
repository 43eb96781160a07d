#pragma once

#include <QIcon>
#include <QPixmap>
#include <QSize>

// The program's own pictures, built into it. They are read as what they are
// (PNG), so that no image plugin is loaded to ask what they might be.
namespace ui {

// The program's icon, 32 x 32 and 64 x 64 pixels.
QIcon programIcon();

// The main menu's title artwork for a box of `size` (pixels) on a screen of
// `ratio` device pixels to a pixel, in the screen's own pixels: drawn for
// one and two, scaled from the larger for other ratios.
QPixmap titlePicture(QSize size, qreal ratio);

}  // namespace ui
