#include "designer/CardSurface.h"

#include "designer/Card.h"
#include "ui/SystemColors.h"
#include "ui/Units.h"

#include <QMouseEvent>
#include <QPainter>

namespace designer {

CardSurface::CardSurface(Card& card, QWidget* parent) : QWidget(parent), card_(card)
{
    setObjectName(QStringLiteral("card"));
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    for (int i = 0; i < kLineCount; ++i)
        shown_.set(size_t(i), card_.line(i).Visible);
    connect(&card_, &Card::lineChanged, this, &CardSurface::lineChanged);
    connect(&card_, &Card::backgroundChanged, this, [this] {
        picture_ = card_.picture().isNull() ? QPixmap() : QPixmap::fromImage(card_.picture());
        update();
    });
}

QRect CardSurface::dirty(const QRectF& box)
{
    // Glyphs may reach a little past their box (italics, underline).
    return box.toAlignedRect().adjusted(-4, -4, 4, 4);
}

void CardSurface::lineChanged(int index, const QRectF& before)
{
    update(dirty(before));
    update(dirty(card_.boxPx(index)));
    ui::notifyItemText(this, index);
    ui::notifyItemMoved(this, index);
    const bool shown = card_.line(index).Visible;
    if (shown_.test(size_t(index)) != shown) {
        shown_.set(size_t(index), shown);
        ui::notifyItemsShownChanged(this);
    }
}

void CardSurface::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    const QRect area = event->rect();
    painter.fillRect(area, ui::color(card_.BackColor()));
    if (!picture_.isNull())
        painter.drawPixmap(area.topLeft(), picture_, area);
    for (int i = 0; i < kLineCount; ++i) {
        const TextLine& line = card_.line(i);
        const QRectF box = card_.boxPx(i);
        if (!line.Visible || !dirty(box).intersects(area))
            continue;
        painter.setFont(card_.font(i));
        painter.setPen(ui::color(line.ForeColor));
        const QFontMetricsF metrics(painter.font());
        // Lines of a caption stack from the box's top; the box clips them.
        painter.save();
        painter.setClipRect(box);
        double y = box.top() + metrics.ascent();
        for (const QString& text : Card::captionLines(line.Caption)) {
            painter.drawText(QPointF(box.left(), y), text);
            y += metrics.lineSpacing();
        }
        painter.restore();
        if (card_.framed() == i) {
            painter.setPen(QPen(ui::color(ui::syscolor::WindowText), 1));
            painter.setBrush(Qt::NoBrush);
            painter.drawRect(box.adjusted(0.5, 0.5, -0.5, -0.5));
        }
    }
}

void CardSurface::mousePressEvent(QMouseEvent* event)
{
    pressed_ = event->button() == Qt::LeftButton ? card_.lineAt(event->position()) : -2;
}

void CardSurface::mouseReleaseEvent(QMouseEvent* event)
{
    const int pressed = pressed_;
    pressed_ = -2;
    if (event->button() != Qt::LeftButton || pressed == -2 || card_.lineAt(event->position()) != pressed)
        return;
    if (pressed >= 0) {
        if (onLineClick)
            onLineClick(pressed);
    } else if (onCardClick) {
        onCardClick();
    }
}

void CardSurface::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    // The first click of the pair was delivered already; the second press
    // makes no click of its own.
    pressed_ = -2;
    const int index = card_.lineAt(event->position());
    if (index >= 0 && onLineDoubleClick)
        onLineDoubleClick(index);
}

void CardSurface::mouseMoveEvent(QMouseEvent* event)
{
    if (onMouseMove)
        onMouseMove(float(ui::pxToMm(event->position().x())), float(ui::pxToMm(event->position().y())));
}

int CardSurface::itemCount() const { return kLineCount; }
bool CardSurface::itemShown(int item) const { return card_.line(item).Visible; }
QString CardSurface::itemText(int item) const { return card_.line(item).Caption; }
QRect CardSurface::itemRect(int item) const { return card_.boxPx(item).toAlignedRect(); }

void CardSurface::pressItem(int item)
{
    if (onLineClick)
        onLineClick(item);
}

}  // namespace designer
