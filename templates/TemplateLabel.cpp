#include "templates/TemplateLabel.h"

#include "templates/TemplateText.h"
#include "ui/Fonts.h"
#include "ui/Painting.h"
#include "ui/SystemColors.h"
#include "ui/Units.h"

#include <QHash>
#include <QPainter>

namespace templates {

namespace {

QRect toPx(const QRect& twips) { return ui::pxRect(twips.x(), twips.y(), twips.width(), twips.height()); }

// A field: text wrapped at spaces and clipped to the field. Its background
// is the window's white, so it is filled only where something lies beneath.
void paintField(QPainter& painter, const QRect& twips, const QString& text, const QFont& font, Qt::Alignment align,
                bool overPicture = false)
{
    const QRect rect = toPx(twips);
    if (overPicture)
        painter.fillRect(rect, ui::color(ui::syscolor::CaptionText));
    painter.setFont(ui::screenSized(font, painter));
    painter.setPen(ui::color(ui::syscolor::ButtonText));
    // Text drawn into a rectangle is clipped to it.
    painter.drawText(rect, int(align | Qt::AlignTop | Qt::TextWordWrap), text);
}

void paintLines(QPainter& painter, const QList<LineDesign>& lines)
{
    for (const LineDesign& l : lines) {
        painter.setPen(QPen(ui::color(l.color), l.widthPx, Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(ui::pxPoint(l.line.x1(), l.line.y1()), ui::pxPoint(l.line.x2(), l.line.y2()));
    }
}

// A design's built-in picture, decoded once.
const QImage& picture(const QString& resource)
{
    static QHash<QString, QImage> pictures;
    auto found = pictures.find(resource);
    if (found == pictures.end())
        found = pictures.insert(resource, QImage(resource));
    return *found;
}

}  // namespace

QSizeF sizeMm(const TemplateDesign& design)
{
    return QSizeF(ui::twipsToMm(design.width), ui::twipsToMm(design.height));
}

QFont diskNameFont() { return ui::designFont(ui::fontname::SansSerif, 12, true); }

void paint(const TemplateText& text, const TemplateDesign& design, QPainter& painter, const QRectF& mm)
{
    painter.save();
    ui::paintDesignPixels(painter, mm, sizeMm(design));
    painter.fillRect(QRect(0, 0, ui::px(design.width), ui::px(design.height)), ui::color(ui::syscolor::Window));

    const QFont contentFont = ui::designFont(design.contentFontName, design.contentFontSize);
    for (int i = 0; i < design.fieldCount(); ++i)
        paintField(painter, design.contentFields[i], text.content(i), contentFont, Qt::AlignLeft);
    paintField(painter, design.diskName1, text.diskName(1), diskNameFont(), Qt::AlignHCenter);
    if (design.credit)
        paintField(painter, *design.credit, kCreditText, ui::defaultFont(), Qt::AlignHCenter);
    if (design.picture)
        painter.drawImage(toPx(*design.picture).topLeft(), picture(design.pictureResource));
    if (design.diskName0)
        paintField(painter, *design.diskName0, text.diskName(0), diskNameFont(), Qt::AlignLeft, true);

    paintLines(painter, design.rules);
    paintLines(painter, design.outline);
    painter.restore();
}

}  // namespace templates
