#pragma once

#include "platform/Printable.h"
#include "templates/TemplateDesign.h"

#include <QFont>

class QPainter;

namespace templates {

class TemplateText;

// A template's label, `text` on `design`, painted into `mm` (a rectangle in
// the painter's millimetres): the window's white, its fields, picture,
// credit, rules and outline, in that order so that every line stays
// unbroken. The window, printing and anything else that shows a template
// paint it so.
void paint(const TemplateText& text, const TemplateDesign& design, QPainter& painter, const QRectF& mm);
// A template's label as designed, in millimetres.
QSizeF sizeMm(const TemplateDesign& design);

// The disk-name fields' font.
QFont diskNameFont();

// A template's label as one thing to print.
class TemplateLabel final : public platform::Printable {
public:
    TemplateLabel(const TemplateText& text, const TemplateDesign& design) : text_(text), design_(design) {}
    QSizeF sizeMm() const override { return templates::sizeMm(design_); }
    void paint(QPainter& painter, const QRectF& mm) const override { templates::paint(text_, design_, painter, mm); }

private:
    const TemplateText& text_;
    const TemplateDesign& design_;
};

}  // namespace templates
