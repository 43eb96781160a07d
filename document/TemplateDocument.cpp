#include "document/TemplateDocument.h"

#include "ui/Fonts.h"
#include "ui/Painting.h"
#include "ui/SystemColors.h"
#include "ui/Units.h"

#include <QHash>
#include <QMutex>
#include <QPainter>

namespace document {

TemplateDocument::TemplateDocument(LabelKind kind) : kind_(kind), design_(*labelKind(kind).design)
{
    for (int i = 0; i < design_.fieldCount(); ++i)
        content_.append(kContentDesign);
    diskName_[0] = diskName_[1] = kDiskNameDesign;
}

void TemplateDocument::setContent(int index, const QString& text)
{
    if (index < 0 || index >= content_.size() || content_[index] == text)
        return;
    content_[index] = text;
    Q_EMIT contentChanged(index);
}

void TemplateDocument::fill(const QStringList& entries)
{
    for (int i = 0; i < fieldCount(); ++i)
        setContent(i, entries.value(i));
}

void TemplateDocument::setDiskName(int index, const QString& text)
{
    if ((index != 0 && index != 1) || diskName_[index] == text)
        return;
    diskName_[index] = text;
    Q_EMIT diskNameChanged(index);
}

void TemplateDocument::reset()
{
    for (int i = 0; i < fieldCount(); ++i)
        setContent(i, kContentDesign);
    setDiskName(0, kDiskNameDesign);
    setDiskName(1, kDiskNameDesign);
}

std::unique_ptr<Document> TemplateDocument::copy() const
{
    auto out = std::make_unique<TemplateDocument>(kind_);
    out->content_ = content_;
    out->diskName_[0] = diskName_[0];
    out->diskName_[1] = diskName_[1];
    return out;
}

ui::LengthSize TemplateDocument::size() const { return ui::LengthSize::mm(document::sizeMm(design_)); }

void TemplateDocument::paint(QPainter& painter, const QRectF& mm) const { document::paint(*this, painter, mm); }

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

// A design's built-in picture, decoded once; printing may paint on a worker.
QImage picture(const QString& resource)
{
    static QMutex mutex;
    static QHash<QString, QImage> pictures;
    const QMutexLocker lock(&mutex);
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

void paint(const TemplateDocument& text, QPainter& painter, const QRectF& mm)
{
    const TemplateDesign& design = text.design();
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

}  // namespace document
