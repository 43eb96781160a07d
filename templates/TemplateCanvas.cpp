#include "templates/TemplateCanvas.h"

#include "document/TemplateDocument.h"
#include "ui/Units.h"

#include <QMouseEvent>
#include <QPainter>

namespace templates {

namespace {

QRect toPx(const QRect& twips) { return ui::pxRect(twips.x(), twips.y(), twips.width(), twips.height()); }

}  // namespace

TemplateCanvas::TemplateCanvas(const document::TemplateDocument& text, QWidget* parent)
    : QWidget(parent), text_(&text), design_(text.design())
{
    setObjectName(QStringLiteral("canvas"));
    setGeometry(0, 0, ui::px(design_.width), ui::px(design_.height));
    connect(&text, &document::TemplateDocument::contentChanged, this, [this](int index) {
        update(toPx(design_.contentFields[index]));
        ui::notifyItemText(this, index);
    });
    connect(&text, &document::TemplateDocument::diskNameChanged, this, [this](int index) {
        update();
        ui::notifyItemText(this, design_.fieldCount() + (index == 1 ? 0 : 1));
    });
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

QString TemplateCanvas::itemText(int item) const { return text(itemKind(item), item); }

QString TemplateCanvas::text(Item kind, int item) const
{
    if (kind == Item::Credit)
        return document::kCreditText;
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
    if (!text_)
        return;
    QPainter painter(this);
    painter.scale(ui::mmToPx(1), ui::mmToPx(1));
    document::paint(*text_, painter, QRectF(QPointF(), document::sizeMm(design_)));
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
