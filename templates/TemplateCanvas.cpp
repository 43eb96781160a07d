#include "templates/TemplateCanvas.h"

#include "templates/TemplateText.h"
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

TemplateCanvas::TemplateCanvas(const TemplateText& text, const TemplateDesign& design, QWidget* parent)
    : QWidget(parent), text_(&text), design_(design)
{
    setObjectName(QStringLiteral("canvas"));
    setGeometry(0, 0, ui::px(design.width), ui::px(design.height));
    if (!design.pictureResource.isEmpty())
        picture_ = QImage(design.pictureResource);
    connect(&text, &TemplateText::contentChanged, this, [this](int index) {
        update(toPx(design_.contentFields[index]));
        ui::notifyItemText(this, index);
    });
    connect(&text, &TemplateText::diskNameChanged, this, [this](int index) {
        update();
        ui::notifyItemText(this, design_.fieldCount() + (index == 1 ? 0 : 1));
    });
}

QFont TemplateCanvas::diskNameFont() { return ui::designFont(ui::fontname::SansSerif, 12, true); }

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

QString TemplateCanvas::itemText(int item) const { return text(itemKind(item), item); }

QString TemplateCanvas::text(Item kind, int item) const
{
    if (kind == Item::Credit)
        return kCreditText;
    if (!text_)
        return {};
    switch (kind) {
    case Item::Content: return text_->content(item);
    case Item::DiskName1: return text_->diskName(1);
    case Item::DiskName0: return text_->diskName(0);
    case Item::Credit: break;
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
    if (itemPressable(item))
        Q_EMIT contentClicked(item);
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
        paintField(painter, design_.contentFields[i], text(Item::Content, i), contentFont, Qt::AlignLeft);
    paintField(painter, design_.diskName1, text(Item::DiskName1, 0), diskNameFont(), Qt::AlignHCenter);
    if (design_.credit)
        paintField(painter, *design_.credit, kCreditText, ui::defaultFont(), Qt::AlignHCenter);
    if (design_.picture)
        painter.drawImage(toPx(*design_.picture).topLeft(), picture_);
    if (design_.diskName0)
        paintField(painter, *design_.diskName0, text(Item::DiskName0, 0), diskNameFont(), Qt::AlignLeft, true);

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
    Q_EMIT contentClicked(index);
}

}  // namespace templates
