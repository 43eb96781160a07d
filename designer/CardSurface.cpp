#include "designer/CardSurface.h"

#include "designer/Selection.h"
#include "document/CardDocument.h"
#include "ui/Units.h"

#include <QMouseEvent>
#include <QPainter>

namespace designer {

CardSurface::CardSurface(const document::CardDocument& design, const Selection& selection, QWidget* parent)
    : QWidget(parent), design_(&design), selection_(&selection)
{
    setObjectName(QStringLiteral("card"));
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    const document::Card& card = design.card;
    for (int i = 0; i < document::kLineCount; ++i)
        shown_.set(size_t(i), card.line(i).Visible);
    connect(&card, &document::Card::lineChanged, this, &CardSurface::lineChanged);
    connect(&card, &document::Card::backgroundChanged, this, qOverload<>(&QWidget::update));
    connect(&selection, &Selection::framedChanged, this, &CardSurface::repaintLine);
}

QRect CardSurface::dirty(const QRectF& box)
{
    // Glyphs may reach a little past their box (italics, underline).
    return box.toAlignedRect().adjusted(-4, -4, 4, 4);
}

void CardSurface::repaintLine(int index)
{
    if (design_)
        update(dirty(design_->card.boxPx(index)));
}

void CardSurface::lineChanged(int index, const QRectF& before)
{
    if (!design_)
        return;
    update(dirty(before));
    repaintLine(index);
    ui::notifyItemText(this, index);
    ui::notifyItemMoved(this, index);
    const bool shown = design_->card.line(index).Visible;
    if (shown_.test(size_t(index)) != shown) {
        shown_.set(size_t(index), shown);
        ui::notifyItemsShownChanged(this);
    }
}

int CardSurface::movingLine() const { return selection_ && selection_->moving ? selection_->ind : -1; }

int CardSurface::lineAt(const QPointF& px) const
{
    if (!design_)
        return -1;
    const int other = design_->card.lineAt(px, movingLine());
    return other >= 0 ? other : design_->card.lineAt(px);
}

void CardSurface::paintEvent(QPaintEvent* event)
{
    if (!design_)
        return;
    QPainter painter(this);
    painter.setClipRect(event->rect());
    painter.scale(ui::mmToPx(1), ui::mmToPx(1));
    document::paint(*design_, painter, QRectF(QPointF(), design_->size().toMm()),
                    selection_ ? selection_->framed() : -1);
}

void CardSurface::mousePressEvent(QMouseEvent* event)
{
    pressed_ = event->button() == Qt::LeftButton ? lineAt(event->position()) : -2;
}

void CardSurface::mouseReleaseEvent(QMouseEvent* event)
{
    const int pressed = pressed_;
    pressed_ = -2;
    clicked_ = -2;
    if (event->button() != Qt::LeftButton || pressed == -2 || lineAt(event->position()) != pressed)
        return;
    clicked_ = pressed;
    if (pressed >= 0)
        Q_EMIT lineClicked(pressed);
    else
        Q_EMIT cardClicked();
}

void CardSurface::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    // The first click of the pair was delivered already, and it was that
    // click's line that the double-click meant (a line it dropped may lie
    // on top of it now); the second press makes no click of its own.
    pressed_ = -2;
    const int index = clicked_ >= 0 ? clicked_ : lineAt(event->position());
    clicked_ = -2;
    if (index >= 0)
        Q_EMIT lineDoubleClicked(index);
}

void CardSurface::mouseMoveEvent(QMouseEvent* event)
{
    if (const int line = lineAt(event->position()); line >= 0 && line != movingLine())
        return;
    Q_EMIT mouseMoved(float(ui::pxToMm(event->position().x())), float(ui::pxToMm(event->position().y())));
}

int CardSurface::itemCount() const { return document::kLineCount; }
bool CardSurface::itemShown(int item) const { return design_ && design_->card.line(item).Visible; }
QString CardSurface::itemText(int item) const { return design_ ? design_->card.line(item).Caption : QString(); }
QRect CardSurface::itemRect(int item) const { return design_ ? design_->card.boxPx(item).toAlignedRect() : QRect(); }

void CardSurface::pressItem(int item) { Q_EMIT lineClicked(item); }

}  // namespace designer
