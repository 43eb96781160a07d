#pragma once

#include "ui/Length.h"

#include <QMarginsF>
#include <QRectF>

class QPainter;

namespace platform {

// A thing printed: a label of a given size that paints itself.
class Printable {
public:
    virtual ~Printable() = default;
    // Its printed size.
    virtual ui::LengthSize size() const = 0;
    // Paints into `mm`, a rectangle in the painter's millimetres.
    virtual void paint(QPainter& painter, const QRectF& mm) const = 0;
    // Paints its background on past its edges by `bleed` (millimetres of
    // the label on each side), under where paint() then paints it, so that a
    // label stock's die-cut may shift a little against the print and leave
    // no white edge. Texts and lines never bleed. A label without a
    // background of its own paints nothing.
    virtual void paintBleed(QPainter& painter, const QRectF& mm, const QMarginsF& bleed) const
    {
        (void)painter;
        (void)mm;
        (void)bleed;
    }
    // Whether it is a disc made for the round label it goes on, centred on
    // its size: label stock then puts it on the label's centre at its size.
    virtual bool isDisc() const { return false; }
};

}  // namespace platform
