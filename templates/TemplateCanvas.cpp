#include "templates/TemplateCanvas.h"

#include "ui/Fonts.h"
#include "ui/SystemColors.h"
#include "ui/Units.h"

#include <QMouseEvent>
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
    painter.setFont(font);
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

}  // namespace

TemplateCanvas::TemplateCanvas(const TemplateDesign& design, QWidget* parent) : QWidget(parent), design_(design)
{
    setObjectName(QStringLiteral("canvas"));
    setGeometry(0, 0, ui::px(design.width), ui::px(design.height));
    for (int i = 0; i < design.fieldCount(); ++i)
        content_.append(QStringLiteral("Label1"));
    diskName_[0] = diskName_[1] = QStringLiteral("Label2");
    if (!design.pictureResource.isEmpty())
        picture_ = QImage(design.pictureResource);
}

QFont TemplateCanvas::diskNameFont() { return ui::designFont(ui::fontname::SansSerif, 12, true); }

void TemplateCanvas::setContentText(int index, const QString& text)
{
    if (index < 0 || index >= content_.size() || content_[index] == text)
        return;
    content_[index] = text;
    update(toPx(design_.contentFields[index]));
    ui::notifyItemText(this, index);
}

void TemplateCanvas::setDiskNameText(int index, const QString& text)
{
    diskName_[index] = text;
    update();
    ui::notifyItemText(this, design_.fieldCount() + (index == 1 ? 0 : 1));
}

int TemplateCanvas::itemCount() const
{
    return design_.fieldCount() + 1 + (design_.diskName0 ? 1 : 0) + (design_.credit ? 1 : 0);
}

TemplateCanvas::Item TemplateCanvas::itemKind(int item) const
{
    const int n = design_.fieldCount();
    if (item < n)
        return Item::Content;
    if (item == n)
        return Item::DiskName1;
    if (item == n + 1 && design_.diskName0)
        return Item::DiskName0;
    return Item::Credit;
}

QString TemplateCanvas::itemText(int item) const
{
    switch (itemKind(item)) {
    case Item::Content: return content_.value(item);
    case Item::DiskName1: return diskName_[1];
    case Item::DiskName0: return diskName_[0];
    case Item::Credit: return kCreditText;
    }
    return {};
}

QRect TemplateCanvas::itemRect(int item) const
{
    switch (itemKind(item)) {
    case Item::Content: return toPx(design_.contentFields[item]);
    case Item::DiskName1: return toPx(design_.diskName1);
    case Item::DiskName0: return toPx(*design_.diskName0);
    case Item::Credit: return design_.credit ? toPx(*design_.credit) : QRect();
    }
    return {};
}

void TemplateCanvas::pressItem(int item)
{
    if (itemPressable(item) && onContentClick)
        onContentClick(item);
}

int TemplateCanvas::contentFieldAt(const QPoint& point) const
{
    for (int i = 0; i < design_.fieldCount(); ++i) {
        if (toPx(design_.contentFields[i]).contains(point))
            return i;
    }
    return -1;
}

void TemplateCanvas::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), ui::color(ui::syscolor::Window));

    const QFont contentFont = ui::designFont(design_.contentFontName, design_.contentFontSize);
    for (int i = 0; i < design_.fieldCount(); ++i)
        paintField(painter, design_.contentFields[i], content_[i], contentFont, Qt::AlignLeft);
    paintField(painter, design_.diskName1, diskName_[1], diskNameFont(), Qt::AlignHCenter);
    if (design_.credit)
        paintField(painter, *design_.credit, kCreditText, ui::defaultFont(), Qt::AlignHCenter);
    if (design_.picture)
        painter.drawImage(toPx(*design_.picture).topLeft(), picture_);
    if (design_.diskName0)
        paintField(painter, *design_.diskName0, diskName_[0], diskNameFont(), Qt::AlignLeft, true);

    paintLines(painter, design_.rules);
    paintLines(painter, design_.outline);
}

void TemplateCanvas::mousePressEvent(QMouseEvent* event)
{
    pressed_ = event->button() == Qt::LeftButton ? contentFieldAt(event->position().toPoint()) : -1;
}

void TemplateCanvas::mouseReleaseEvent(QMouseEvent* event)
{
    const int index = pressed_;
    pressed_ = -1;
    if (event->button() != Qt::LeftButton || index < 0 || contentFieldAt(event->position().toPoint()) != index)
        return;
    if (onContentClick)
        onContentClick(index);
}

}  // namespace templates
